#include "search/forms/rinputform.h"

#include "keiba/context.h"
#include "tests/support/fakes.h"
#include "tests/support/tempdir.h"
#include "tests/support/unreadable.h"
#include "tests/support/widgets.h"

#include <QComboBox>
#include <QLabel>
#include <QListWidget>

#include <gtest/gtest.h>

namespace {

namespace fs = std::filesystem;
using testsupport::Slurp;

// Twelve races at Tokyo (venue 05) on 2026-11-28; race 5 has 10 runners, the others 16.
class RInputFormTest : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(dir / "Data");
        for (int r = 0; r < 12; ++r) {
            const std::string n = (r + 1 < 10 ? "0" : "") + std::to_string(r + 1);
            day->gDayRaces[static_cast<std::size_t>(r)].SetField(12, 16, "2026112805050901" + n);
            day->gDayRaces[static_cast<std::size_t>(r)].SetField(26, 2, n);
            day->gDayRaces[static_cast<std::size_t>(r)].SetField(882, 2, r == 4 ? "10" : "16");
        }
        day->gDayRaceCount = 12;
        day->rumaFileName = file;
        form = std::make_unique<search::TRInputForm>(context, *day);
        for (int r = 1; r <= 12; ++r) form->DatList()->addItem(QStringLiteral("東京%1R").arg(r));
    }
    void TearDown() override { form.reset(); }
    void Show(int race) { // race 1..12, as the main window opens the dialog
        form->DatList()->setCurrentRow(race - 1);
        form->DatListClick();
    }
    static void Choose(QComboBox* combo, int item) {
        combo->setCurrentIndex(item);
        Q_EMIT combo->activated(item);
    }
    std::vector<std::string> Lines() const {
        const std::string bytes = Slurp(file);
        std::vector<std::string> out;
        for (std::string_view l : keiba::SplitLines(bytes)) out.emplace_back(l);
        return out;
    }
    static std::string Key(int race) {
        return std::string("2026112805") + (race < 10 ? "0" : "") + std::to_string(race);
    }

    testsupport::TempDir dir;
    fs::path file = dir / "Data" / "2026年11月28日.ruma";
    testsupport::RecordingNotifier notifier;
    testsupport::TestClock clock;
    testsupport::RecordingShell shell;
    keiba::ProgramContext context{dir.path(), notifier, clock, shell};
    std::unique_ptr<raceday::RaceDay> day = std::make_unique<raceday::RaceDay>();
    std::unique_ptr<search::TRInputForm> form;
};

} // namespace

TEST_F(RInputFormTest, EachChangeRewritesTheDaysFileAndAReopenShowsItBack) {
    EXPECT_EQ(form->windowTitle(), QStringLiteral("R馬手入力"));
    Show(5);
    // Ten runners: combos and labels 11 to 18 are hidden.
    EXPECT_FALSE(form->RumaCombo(10)->isHidden());
    EXPECT_TRUE(form->RumaCombo(11)->isHidden());
    EXPECT_TRUE(form->CJlabel(18)->isHidden());
    EXPECT_EQ(form->CJlabel(3)->text(), QStringLiteral(" 3"));
    EXPECT_FALSE(fs::exists(file));

    Choose(form->RLVCombo(), 6);
    EXPECT_EQ(form->RLVCombo()->currentText(), QStringLiteral("高＋"));
    Choose(form->RumaCombo(3), 1);
    EXPECT_EQ(form->RumaCombo(3)->currentText(), QStringLiteral("R-"));
    const std::vector<std::string> lines = Lines();
    ASSERT_EQ(lines.size(), 12u);
    EXPECT_EQ(lines[0], Key(1) + std::string(19, ' '));
    // Characters 24 to 31 (horses 11 to 18) are written too, as '0'.
    EXPECT_EQ(lines[4], Key(5) + "6" + "002" + std::string(15, '0'));

    Show(6);
    EXPECT_EQ(form->RLVCombo()->currentIndex(), 0);
    EXPECT_EQ(form->RumaCombo(3)->currentText(), QStringLiteral("非該当"));
    EXPECT_FALSE(form->RumaCombo(16)->isHidden());
    Show(5);
    EXPECT_EQ(form->RLVCombo()->currentIndex(), 6);
    EXPECT_EQ(form->RumaCombo(3)->currentIndex(), 1);
    EXPECT_EQ(form->RumaCombo(4)->currentIndex(), 2);
    EXPECT_TRUE(notifier.messages.empty());
}

TEST_F(RInputFormTest, LinesFromElsewhereAreReadWithCare) {
    testsupport::WriteBytes(file, Key(1) + "9120000000000000011\r\n" + Key(2) + "61\r\n" + Key(3) +
                                      "3" + std::string(18, '1') + "\r\n" + Key(4) + "7" +
                                      std::string(18, '0') + "\r\n");
    // No level 9: the line is not read at all, as the day load reads none of it.
    Show(1);
    EXPECT_EQ(form->RLVCombo()->currentIndex(), 0);
    EXPECT_EQ(form->RumaCombo(1)->currentIndex(), 2);
    EXPECT_EQ(form->RumaCombo(2)->currentIndex(), 2);
    Show(3);
    EXPECT_EQ(form->RLVCombo()->currentIndex(), 3);
    EXPECT_EQ(form->RumaCombo(1)->currentIndex(), 0);
    EXPECT_EQ(form->RumaCombo(17)->currentIndex(), 2); // beyond the 16 runners
    Show(2);
    EXPECT_EQ(form->RLVCombo()->currentIndex(), 0); // a short line shows the defaults
    EXPECT_EQ(form->RumaCombo(1)->currentIndex(), 2);
    Show(4); // the highest level
    EXPECT_EQ(form->RLVCombo()->currentText(), QStringLiteral("高★"));

    // A race the file has no line for gets its line added; the other lines stay as they were.
    Show(7);
    Choose(form->RumaCombo(1), 0);
    const std::vector<std::string> lines = Lines();
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[1], Key(2) + "61");
    EXPECT_EQ(lines[4], Key(7) + "0" + "1" + std::string(17, '0'));
    // The lines kept are told once, not at every change.
    Choose(form->RumaCombo(1), 1);
    EXPECT_EQ(notifier.messages,
              std::vector<std::string>{
                  file.string() + " の一部が壊れているため、読めない2行をそのまま残しました。"});
}

TEST_F(RInputFormTest, WithoutARaceOrAFolderNothingIsLostSilently) {
    form->DatList()->setCurrentRow(-1);
    form->ReadCompBtnClick();
    form->SavebtnClick();
    EXPECT_FALSE(fs::exists(file));

    fs::remove_all(dir / "Data");
    Show(1);
    Choose(form->RumaCombo(1), 0);
    ASSERT_EQ(notifier.messages.size(), 1u);
    EXPECT_NE(notifier.messages[0].find(file.string()), std::string::npos);
}

// A day's file that is there but cannot be read is said with its cause, shown and saved alike,
// and not replaced by one of a single race.
TEST_F(RInputFormTest, ADaysFileThatCannotBeReadIsSaidAndKept) {
    testsupport::WriteBytes(file, Key(1) + "6" + std::string(18, '1') + "\r\n");
    {
        const testsupport::UnreadableFile unreadable(file);
        form->DatList()->setCurrentRow(0); // as a click on the race
        Choose(form->RumaCombo(2), 0);
    }
    const std::string told = file.string() + " を読み込めません（読み込む権限がありません）。";
    EXPECT_EQ(notifier.messages, (std::vector<std::string>{told, told}));
    EXPECT_EQ(Slurp(file), Key(1) + "6" + std::string(18, '1') + "\r\n");
}

TEST_F(RInputFormTest, ThePositionIsKeptBetweenRuns) {
    EXPECT_EQ(form->pos(), QPoint(100, 50));
    form->move(220, 140);
    ASSERT_TRUE(form->SaveBounds()); // as its owner does at the quit
    form.reset();
    EXPECT_EQ(context.settings.ReadInteger("locateRInputForm", "left", 0), 220);
    EXPECT_EQ(context.settings.ReadInteger("locateRInputForm", "top", 0), 140);
    form = std::make_unique<search::TRInputForm>(context, *day);
    EXPECT_EQ(form->pos(), QPoint(220, 140));
}
