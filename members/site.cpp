#include "members/site.h"

#include "keiba/fileio.h"
#include "keiba/sjis.h"

#include <array>
#include <cstdlib>

#ifndef KESTRANE_MEMBERS_URL_DEFAULT
#error "the build sets KESTRANE_MEMBERS_URL_DEFAULT"
#endif

namespace members {

std::string SiteBaseUrl() {
    const char* env = std::getenv("KESTRANE_MEMBERS_URL");
    std::string url = env && *env ? env : KESTRANE_MEMBERS_URL_DEFAULT;
    while (!url.empty() && url.back() == '/') url.pop_back();
    return url;
}

std::string PercentEncode(std::string_view utf8) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (char ch : keiba::Utf8ToCp932(utf8)) {
        auto c = static_cast<unsigned char>(ch);
        bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                     c == '-' || c == '.' || c == '_' || c == '~';
        if (plain) {
            out += ch;
        } else {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 0x0F];
        }
    }
    return out;
}

std::string ForecastPath(std::string_view id, std::string_view password) {
    return "/members/veltro/data/download.cgi?I=" + PercentEncode(id) +
           "&p=" + PercentEncode(password);
}

std::string PastDataPath(std::string_view id, std::string_view password, std::string_view tp,
                         std::string_view t) {
    return "/members/veltro/past_data/download.cgi?I=" + PercentEncode(id) +
           "&p=" + PercentEncode(password) + "&tp=" + PercentEncode(tp) + "&t=" + PercentEncode(t);
}

std::string SamplePath() {
    return "/members/veltro/sample_data/yosou.zip";
}

std::string ForecastPurchasePath() {
    return "/authz_gw/kestrane_data_agree.cgi";
}

std::string PastPurchasePath(std::string_view tp, std::string_view t) {
    return "/authz_gw/kestrane_past_data.cgi?&tp=" + PercentEncode(tp) + "&t=" + PercentEncode(t);
}

std::optional<std::string> ReplyCode(std::string_view reply) {
    std::vector<std::string_view> lines = keiba::SplitLines(reply);
    if (lines.empty()) return std::nullopt;
    return std::string(keiba::TrimBlanks(lines.front()));
}

std::string_view ReplyCodeMessage(std::string_view code) {
    static constexpr std::array<std::string_view, 6> kTexts = {
        "IDが登録されていないか不正です。",         "パスワードが不正です。",
        "予想データが購入されていません。",         "予想データの有効期限切れです。",
        "対象データがアップロードされていません。", "ロック状態になっています。",
    };
    constexpr std::string_view kPrefix = "RETURN=";
    if (code.size() == kPrefix.size() + 1 && code.starts_with(kPrefix)) {
        char d = code.back();
        if (d >= '0' && d <= '5') return kTexts[static_cast<std::size_t>(d - '0')];
    }
    return "想定されていないエラーが発生しました。";
}

} // namespace members
