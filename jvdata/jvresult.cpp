#include "jvdata/jvresult.h"

#include <array>
#include <span>

namespace jvdata {
namespace {

struct Entry {
    int code;
    std::string_view text;
};

// Texts shared by several sets. The service words the same condition differently from set to
// set (blanks, bracket widths, 行なわれて/行われて); each set keeps its own wording.
constexpr std::string_view kOk = "正常に実行されました。";
constexpr std::string_view kNoData = "該当データがありません。";
constexpr std::string_view kNotInitSpaced = "JVInit が行なわれていません。";
constexpr std::string_view kNotInit = "JVInitが行なわれていません。";
constexpr std::string_view kNotOpen = "JVOpenが行なわれていません。";
constexpr std::string_view kStillOpen =
    "前回のJVOpen/JVRTOpen/JVMVOpen に対してJVClose が呼ばれていません。（オープン中）";
constexpr std::string_view kKeyParam = "key パラメータが不正です。";
constexpr std::string_view kBadRegistry =
    "レジストリ内容が不正（レジストリ内容が不正に変更された）です。";
constexpr std::string_view kAuth = "認証エラーが発生しました。";
constexpr std::string_view kKeyExpired = "サービスキーの有効期限切れです。";
constexpr std::string_view kNoKey = "サービスキーが設定されていません。（サービスキーが空値）";
constexpr std::string_view kHttp404 =
    "サーバーエラー（HTTP ステータス404 NotFount ）が発生しました。";
constexpr std::string_view kHttp403 =
    "サーバーエラー（HTTP ステータス403 Forbidden ）が発生しました。";
constexpr std::string_view kHttpOther =
    "サーバーエラー（HTTP ステータス200,403,404 以外）が発生しました。";
constexpr std::string_view kBadReply = "サーバーエラー（サーバーの応答が不正）が発生しました。";
constexpr std::string_view kServerApp =
    "サーバーエラー（サーバーアプリケーション内部エラー）が発生しました。";
constexpr std::string_view kMaintenance = "サーバーがメンテナンス中です。";
constexpr std::string_view kEof = "全ファイルの読み込みが終了しました。（ＥＯＦ ）";
constexpr std::string_view kBadSize = "ダウンロードしたファイルサイズが異常です。";
constexpr std::string_view kBadContent = "ダウンロードしたファイル内容が異常です。";
constexpr std::string_view kDownloadFailed =
    "ダウンロードに失敗しました。(通信エラーやディスクエラー)";
constexpr std::string_view kNotFound = "ファイルが見つかりません。";
constexpr std::string_view kInternalSpaced = "JV- Link 内部エラーが発生しました。";

// The video and course-file sets: half-width brackets, no blanks.
constexpr std::string_view kMvNotInit = "JVInitが行われていません。";
constexpr std::string_view kMvBadRegistry = "レジストリ内容が不正です。";
constexpr std::string_view kMvKeyExpired = "サービスキーの期限切れです。";
constexpr std::string_view kMvNoKey = "サービスキーが設定されていません。";
constexpr std::string_view kMvViewerAuth =
    "JRAレーシングビュアー連携機能認証エラーが発生しました。";
constexpr std::string_view kMvInternal = "JV-Link内部エラーが発生しました。";
constexpr std::string_view kMvHttp404 = "サーバーエラー(HTTPステータス404NotFound)が発生しました。";
constexpr std::string_view kMvHttp403 =
    "サーバーエラー(HTTPステータス403Forbidden)が発生しました。";
constexpr std::string_view kMvHttpOther =
    "サーバーエラー(HTTPステータス200,403,404以外)が発生しました。";
constexpr std::string_view kMvBadReply = "サーバーエラー(サーバーの応答が不正)が発生しました。";
constexpr std::string_view kMvServerApp =
    "サーバーエラー(サーバーアプリケーション内部エラー)が発生しました。";
constexpr std::string_view kMvMaintenance = "サーバーメンテナンス中です。";

constexpr Entry kInit[] = {
    {0, kOk},
    {-101, "sid が設定されていません。"},
    {-102, "sid が64byte 以上あります。"},
    {-103, "sid が不正（sid の１桁目がスペース）です。"},
};

constexpr Entry kSet[] = {
    {0, kOk},
    {-100, "パラメータが不正あるいはレジストリへの保存に失敗しました。"},
    {-101, "すでにサービスキーが登録されています。"},
};

constexpr Entry kOpen[] = {
    {0, kOk},
    {-1, " 取得済みデータより最新のデータがありません。"},
    {-2, "セットアップダイアログでキャンセルが押されました。"},
    {-111, "dataspec パラメータが不正です。"},
    {-112, "fromdate パラメータが不正です。"},
    {-114, kKeyParam},
    {-115, "option パラメータが不正です。"},
    {-116, "dataspec とoption の組み合わせが不正です。"},
    {-201, kNotInitSpaced},
    {-202, kStillOpen},
    {-211, kBadRegistry},
    {-301, kAuth},
    {-302, kKeyExpired},
    {-303, kNoKey},
    {-305, "JV-Link 利用規約への同意が必要です。"},
    {-401, "JV-Link 内部エラーが発生しました。"},
    {-411, kHttp404},
    {-412, kHttp403},
    {-413, kHttpOther},
    {-421, kBadReply},
    {-431, kServerApp},
    {-501, "セットアップ処理においてＣＤ －ＲＯＭ が無効です。"},
    {-504, kMaintenance},
};

constexpr Entry kStatus[] = {
    {0, kOk},
    {-201, kNotInit},
    {-203, kNotOpen},
    {-502, "ダウンロードに失敗しました。（通信エラーやディスクエラーなど）"},
};

constexpr Entry kRead[] = {
    {0, kEof},
    {-1, "ファイルが切り替わりました。"},
    {-3, "ファイルダウンロード中"},
    {-201, kNotInit},
    {-202, kStillOpen},
    {-203, kNotOpen},
    {-402, kBadSize},
    {-403, kBadContent},
    {-502, kDownloadFailed},
    {-503, kNotFound},
};

constexpr Entry kClose[] = {
    {0, kOk},
};

constexpr Entry kFileDelete[] = {
    {0, kOk},
    {-201, kNotInit},
    {-503, kNotFound},
};

constexpr Entry kFukuFile[] = {
    {0, kOk},
    {-1, kNoData},
    {-118, "filepath パラメータが不正です。"},
    {-201, kNotInitSpaced},
    {-211, kBadRegistry},
    {-301, kAuth},
    {-302, kKeyExpired},
    {-303, kNoKey},
    {-401, kInternalSpaced},
    {-411, kHttp404},
    {-412, kHttp403},
    {-413, kHttpOther},
    {-421, kBadReply},
    {-431, kServerApp},
    {-504, kMaintenance},
};

constexpr Entry kFuku[] = {
    {0, kOk},           {-1, kNoData},        {-201, kNotInitSpaced}, {-211, kBadRegistry},
    {-301, kAuth},      {-302, kKeyExpired},  {-303, kNoKey},         {-401, kInternalSpaced},
    {-411, kHttp404},   {-412, kHttp403},     {-413, kHttpOther},     {-421, kBadReply},
    {-431, kServerApp}, {-504, kMaintenance},
};

constexpr Entry kMvCheck[] = {
    {0, "正常(公開動画なし)に実行されました。"},
    {1, "正常(公開動画あり)に実行されました。"},
    {-1, kNoData},
    {-114, kKeyParam},
    {-201, kNotInitSpaced},
    {-202, kStillOpen},
    {-211, kBadRegistry},
    {-301, kAuth},
    {-302, kKeyExpired},
    {-303, kNoKey},
    {-401, kInternalSpaced},
    {-411, kHttp404},
    {-412, kHttp403},
    {-413, kHttpOther},
    {-421, kBadReply},
    {-431, kServerApp},
    {-504, kMaintenance},
};

constexpr Entry kMvPlay[] = {
    {0, kOk},
    {-1, kNoData},
    {-100, "パラメータが不正またはレジストリへの保存に失敗しました。"},
    {-111, "movietypeパラメータが不正です。"},
    {-114, "keyパラメータが不正です。"},
    {-201, kMvNotInit},
    {-202, kStillOpen},
    {-211, kMvBadRegistry},
    {-301, kAuth},
    {-302, kMvKeyExpired},
    {-303, kMvNoKey},
    {-304, kMvViewerAuth},
    {-401, kMvInternal},
    {-411, kMvHttp404},
    {-412, kMvHttp403},
    {-413, kMvHttpOther},
    {-421, kMvBadReply},
    {-431, kMvServerApp},
    {-504, kMvMaintenance},
};

constexpr Entry kMvOpen[] = {
    {0, kOk},
    {-1, kNoData},
    {-111, "movietypeパラメータが不正です。"},
    {-114, "searchkeyパラメータが不正です。"},
    {-201, kMvNotInit},
    {-202, kStillOpen},
    {-211, kMvBadRegistry},
    {-301, kAuth},
    {-302, kMvKeyExpired},
    {-303, kMvNoKey},
    {-304, kMvViewerAuth},
    {-401, kMvInternal},
    {-411, kMvHttp404},
    {-412, kMvHttp403},
    {-413, kMvHttpOther},
    {-421, kMvBadReply},
    {-431, kMvServerApp},
    {-504, kMvMaintenance},
};

constexpr Entry kMvRead[] = {
    {0, kEof},
    {-3, "データダウンロード中"},
    {-201, kNotInit},
    {-203, "JVMVOpenが行なわれていません。"},
    {-402, kBadSize},
    {-403, kBadContent},
    {-502, kDownloadFailed},
    {-503, "一時ファイルが見つかりません。"},
};

constexpr Entry kCourseFile[] = {
    {0, kOk},
    {-1, kNoData},
    {-114, "keyパラメータが不正です。"},
    {-201, kMvNotInit},
    {-202, kStillOpen},
    {-211, kMvBadRegistry},
    {-301, kAuth},
    {-302, kMvKeyExpired},
    {-303, kMvNoKey},
    {-401, kMvInternal},
    {-411, kMvHttp404},
    {-412, kMvHttp403},
    {-413, kMvHttpOther},
    {-421, kMvBadReply},
    {-431, kMvServerApp},
    {-502, kDownloadFailed},
    {-504, kMvMaintenance},
};

constexpr Entry kCourseFile2[] = {
    {0, kOk},
    {-1, kNoData},
    {-114, "keyパラメータが不正です。"},
    {-118, "filepathパラメータが不正です。"},
    {-201, kMvNotInit},
    {-202, kStillOpen},
    {-211, kMvBadRegistry},
    {-301, kAuth},
    {-302, kMvKeyExpired},
    {-303, kMvNoKey},
    {-401, kMvInternal},
    {-411, kMvHttp404},
    {-412, kMvHttp403},
    {-413, kMvHttpOther},
    {-421, kMvBadReply},
    {-431, kMvServerApp},
    {-502, kDownloadFailed},
    {-504, kMvMaintenance},
};

struct Method {
    std::string_view name;
    std::span<const Entry> set;
};

// Names are compared exactly, letter case included; the JVSet... names are handled apart.
constexpr Method kMethods[] = {
    {"JVInit", kInit},
    {"JVOpen", kOpen},
    {"JVRTOpen", kOpen},
    {"JVStatus", kStatus},
    {"JVRead", kRead},
    {"JVGets", kRead},
    {"JVClose", kClose},
    {"JVFileDelete", kFileDelete},
    {"JVFukuFile", kFukuFile},
    {"JVFuku", kFuku},
    {"JVMVCheck", kMvCheck},
    {"JVMVPlay", kMvPlay},
    {"JVMVPlayWithType", kMvPlay},
    {"JVMVOpen", kMvOpen},
    {"JVMVRead", kMvRead},
    {"JVCourseFile", kCourseFile},
    {"JVCourseFile2", kCourseFile2},
};

std::span<const Entry> SetOf(std::string_view method) {
    if (method.starts_with("JVSet")) return kSet;
    for (const Method& m : kMethods)
        if (m.name == method) return m.set;
    return {};
}

} // namespace

std::string JvResultMessage(std::string_view method, int code) {
    std::string out;
    for (const Entry& e : SetOf(method)) {
        if (e.code == code) {
            out = e.text;
            break;
        }
    }
    out += '(';
    out += std::to_string(code);
    out += ')';
    return out;
}

} // namespace jvdata
