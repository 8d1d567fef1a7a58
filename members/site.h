#pragma once
// The members site as the system knows it: its address, the paths and queries of its
// downloads and pages, the names the downloads are saved under, and what its short text
// replies mean.

#include <optional>
#include <string>
#include <string_view>

namespace members {

// The site's address (scheme, host, optional port; no trailing "/"). The build sets it with the
// cache variable KESTRANE_MEMBERS_URL; the environment variable of the same name overrides it,
// so tests and a person trying the program can point it at a local server.
std::string SiteBaseUrl();

// Where the downloads are saved, inside the program folder's `VZK`.
inline constexpr std::string_view kForecastZip = "yosou.zip";
inline constexpr std::string_view kPastZip = "past.zip";

// The bytes of `utf8` as CP932, every byte outside A-Z a-z 0-9 - . _ ~ written as %XX.
std::string PercentEncode(std::string_view utf8);

// Paths and queries below the site's address. ID and password are the plain texts (UTF-8).
std::string ForecastPath(std::string_view id, std::string_view password);
std::string PastDataPath(std::string_view id, std::string_view password, std::string_view tp,
                         std::string_view t);
std::string SamplePath();
std::string ForecastPurchasePath();
std::string PastPurchasePath(std::string_view tp, std::string_view t);

// A reply of at most this many bytes is a text reply; a longer one is a zip archive.
inline constexpr long long kMaxTextReply = 10;

// The reply code of a text reply: its first line with blanks and control characters removed at
// both ends; nothing when the reply has no line at all.
std::optional<std::string> ReplyCode(std::string_view reply);

// Messages of the downloads.
inline constexpr std::string_view kMsgDownloadFailed = "ダウンロードに失敗しました。";
inline constexpr std::string_view kMsgDownloadTooLarge =
    "データが大きすぎるため、ダウンロードを中止しました。";
inline constexpr std::string_view kMsgIncomplete =
    "解凍が不完全な可能性があります。確認してみてください。";
inline constexpr std::string_view kMsgSampleNotThere =
    "対象データがアップロードされていないか、取得にエラーがありました。";
inline constexpr std::string_view kMsgChoosePeriod =
    "[データ選択]メニューより目的のデータ期間を選択してください。。";
inline constexpr std::string_view kMsgPageFailed = "ホームページの表示に失敗しました。";

// The message a forecast or past-data reply code gets ("RETURN=0" .. "RETURN=5", compared
// exactly; any other code the unexpected-error text).
std::string_view ReplyCodeMessage(std::string_view code);

} // namespace members
