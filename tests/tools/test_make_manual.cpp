// The user manual the build sets beside the executable, read back as a reader of the PDF sees it.

#include "tests/support/tempdir.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

using testsupport::RunCommand;

namespace {

std::string Pdf(const std::string& tool, const std::string& args = {}) {
    int status = -1;
    std::string out =
        RunCommand(tool + " " + args + " '" + std::string(KESTRANE_MANUAL_PDF) + "' -", &status);
    EXPECT_EQ(status, 0) << tool;
    return out;
}

TEST(Manual, ChaptersInJapaneseInTheShippedFonts) {
    ASSERT_TRUE(std::filesystem::exists(KESTRANE_MANUAL_PDF));
    const std::string text = Pdf("pdftotext");
    // Each chapter a user looks for, as a heading line of its own (Markdown marks taken as
    // markup, not printed), in this order.
    const char* chapters[] = {"1. 起動",
                              "2. 開催日の一覧",
                              "3. 出馬表",
                              "4. 買い目と投票",
                              "5. R馬検索と狙い馬条件",
                              "6. データの取り込みと取得",
                              "7. 会員データのダウンロード",
                              "8. 印刷",
                              "9. 書き出すファイル"};
    std::size_t from = 0;
    for (const char* chapter : chapters) {
        const std::size_t at = text.find("\n" + std::string(chapter) + "\n", from);
        ASSERT_NE(at, std::string::npos) << chapter << "\n" << text;
        from = at + 1;
    }
    EXPECT_EQ(text.find("# "), std::string::npos);
    EXPECT_EQ(text.find('`'), std::string::npos);

    int status = -1;
    const std::string fonts =
        RunCommand("pdffonts '" + std::string(KESTRANE_MANUAL_PDF) + "'", &status);
    EXPECT_NE(fonts.find("IPAPGothic "), std::string::npos) << fonts;
    EXPECT_NE(fonts.find("IPAGothic "), std::string::npos) << fonts;
}

// A machine whose language is Japanese lists the fonts under their Japanese names; the manual is
// set there in the same fonts.
TEST(Manual, IsSetInTheShippedFontsUnderAJapaneseLocale) {
    int status = -1;
    const std::string locales = RunCommand("locale -a", &status);
    ASSERT_TRUE(std::regex_search(
        locales, std::regex("^ja_JP\\.utf-?8$", std::regex::icase | std::regex::multiline)))
        << "the locale ja_JP.UTF-8 is missing (scripts/install-deps generates it)";
    testsupport::TempDir dir;
    const std::filesystem::path pdf = dir / "manual.pdf";
    const std::string out = RunCommand(
        "LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8 LANGUAGE= '" + std::string(KESTRANE_MAKE_MANUAL) +
            "' '" + std::string(KESTRANE_MANUAL_MD) + "' '" + pdf.string() + "' 2>&1",
        &status);
    ASSERT_EQ(status, 0) << out;
    const std::string fonts = RunCommand("pdffonts '" + pdf.string() + "'", &status);
    EXPECT_NE(fonts.find("IPAPGothic "), std::string::npos) << fonts;
    EXPECT_NE(fonts.find("IPAGothic "), std::string::npos) << fonts;
}

TEST(Manual, NoTextOffThePage) {
    const std::string boxes = Pdf("pdftotext", "-bbox");
    const std::regex pageBox(R"re(<page width="([0-9.]+)" height="([0-9.]+)")re");
    std::smatch page;
    ASSERT_TRUE(std::regex_search(boxes, page, pageBox));
    const double width = std::stod(page[1]);
    const double height = std::stod(page[2]);
    // Every word keeps at least 1 cm (28 pt) from each edge of the sheet.
    const std::regex word(
        R"re(<word xMin="([0-9.]+)" yMin="([0-9.]+)" xMax="([0-9.]+)" yMax="([0-9.]+)">([^<]*))re");
    int words = 0;
    for (auto it = std::sregex_iterator(boxes.begin(), boxes.end(), word);
         it != std::sregex_iterator(); ++it, ++words) {
        const std::smatch& w = *it;
        EXPECT_GE(std::stod(w[1]), 28) << w[5];
        EXPECT_GE(std::stod(w[2]), 28) << w[5];
        EXPECT_LE(std::stod(w[3]), width - 28) << w[5];
        EXPECT_LE(std::stod(w[4]), height - 28) << w[5];
    }
    EXPECT_GT(words, 100);
}

} // namespace
