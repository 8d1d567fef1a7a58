#include "jvdata/jvresult.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

using jvdata::JvResultMessage;

namespace {

using Set = std::map<int, std::string>;

std::string Code(int code) {
    return "(" + std::to_string(code) + ")";
}

const Set& InitSet() {
    static const Set s = {
        {0, "正常に実行されました。"},
        {-101, "sid が設定されていません。"},
        {-102, "sid が64byte 以上あります。"},
        {-103, "sid が不正（sid の１桁目がスペース）です。"},
    };
    return s;
}

const Set& SetSet() {
    static const Set s = {
        {0, "正常に実行されました。"},
        {-100, "パラメータが不正あるいはレジストリへの保存に失敗しました。"},
        {-101, "すでにサービスキーが登録されています。"},
    };
    return s;
}

const Set& OpenSet() {
    static const Set s = {
        {0, "正常に実行されました。"},
        {-1, " 取得済みデータより最新のデータがありません。"},
        {-2, "セットアップダイアログでキャンセルが押されました。"},
        {-111, "dataspec パラメータが不正です。"},
        {-112, "fromdate パラメータが不正です。"},
        {-114, "key パラメータが不正です。"},
        {-115, "option パラメータが不正です。"},
        {-116, "dataspec とoption の組み合わせが不正です。"},
        {-201, "JVInit が行なわれていません。"},
        {-202, "前回のJVOpen/JVRTOpen/JVMVOpen に対してJVClose が呼ばれていません。（オープン中）"},
        {-211, "レジストリ内容が不正（レジストリ内容が不正に変更された）です。"},
        {-301, "認証エラーが発生しました。"},
        {-302, "サービスキーの有効期限切れです。"},
        {-303, "サービスキーが設定されていません。（サービスキーが空値）"},
        {-305, "JV-Link 利用規約への同意が必要です。"},
        {-401, "JV-Link 内部エラーが発生しました。"},
        {-411, "サーバーエラー（HTTP ステータス404 NotFount ）が発生しました。"},
        {-412, "サーバーエラー（HTTP ステータス403 Forbidden ）が発生しました。"},
        {-413, "サーバーエラー（HTTP ステータス200,403,404 以外）が発生しました。"},
        {-421, "サーバーエラー（サーバーの応答が不正）が発生しました。"},
        {-431, "サーバーエラー（サーバーアプリケーション内部エラー）が発生しました。"},
        {-501, "セットアップ処理においてＣＤ －ＲＯＭ が無効です。"},
        {-504, "サーバーがメンテナンス中です。"},
    };
    return s;
}

const Set& StatusSet() {
    static const Set s = {
        {0, "正常に実行されました。"},
        {-201, "JVInitが行なわれていません。"},
        {-203, "JVOpenが行なわれていません。"},
        {-502, "ダウンロードに失敗しました。（通信エラーやディスクエラーなど）"},
    };
    return s;
}

const Set& ReadSet() {
    static const Set s = {
        {0, "全ファイルの読み込みが終了しました。（ＥＯＦ ）"},
        {-1, "ファイルが切り替わりました。"},
        {-3, "ファイルダウンロード中"},
        {-201, "JVInitが行なわれていません。"},
        {-202, "前回のJVOpen/JVRTOpen/JVMVOpen に対してJVClose が呼ばれていません。（オープン中）"},
        {-203, "JVOpenが行なわれていません。"},
        {-402, "ダウンロードしたファイルサイズが異常です。"},
        {-403, "ダウンロードしたファイル内容が異常です。"},
        {-502, "ダウンロードに失敗しました。(通信エラーやディスクエラー)"},
        {-503, "ファイルが見つかりません。"},
    };
    return s;
}

const Set& CloseSet() {
    static const Set s = {{0, "正常に実行されました。"}};
    return s;
}

} // namespace

TEST(JvResultMessage, SetsTheSystemCallsHoldExactlyTheirCodes) {
    const std::pair<const char*, const Set*> methods[] = {
        {"JVInit", &InitSet()}, {"JVSetUIProperties", &SetSet()}, {"JVSet", &SetSet()},
        {"JVOpen", &OpenSet()}, {"JVRTOpen", &OpenSet()},         {"JVStatus", &StatusSet()},
        {"JVRead", &ReadSet()}, {"JVGets", &ReadSet()},           {"JVClose", &CloseSet()},
    };
    // Every code of the range the control returns: the listed ones carry their text, any
    // other code only the bracketed number.
    for (const auto& [method, set] : methods) {
        for (int code = -999; code <= 999; ++code) {
            auto it = set->find(code);
            std::string text = it == set->end() ? "" : it->second;
            ASSERT_EQ(JvResultMessage(method, code), text + Code(code)) << method << ' ' << code;
        }
    }
}

TEST(JvResultMessage, SetsOfOtherOperations) {
    const struct {
        const char* method;
        int code;
        const char* text;
    } cases[] = {
        {"JVFileDelete", -503, "ファイルが見つかりません。"},
        {"JVFileDelete", -1, ""},
        {"JVFukuFile", -118, "filepath パラメータが不正です。"},
        {"JVFukuFile", -401, "JV- Link 内部エラーが発生しました。"},
        {"JVFukuFile", -303, "サービスキーが設定されていません。（サービスキーが空値）"},
        {"JVFuku", -118, ""},
        {"JVFuku", -1, "該当データがありません。"},
        {"JVMVCheck", 0, "正常(公開動画なし)に実行されました。"},
        {"JVMVCheck", 1, "正常(公開動画あり)に実行されました。"},
        {"JVMVCheck", -202,
         "前回のJVOpen/JVRTOpen/JVMVOpen に対してJVClose が呼ばれていません。（オープン中）"},
        {"JVMVPlayWithType", -100, "パラメータが不正またはレジストリへの保存に失敗しました。"},
        {"JVMVPlay", -411, "サーバーエラー(HTTPステータス404NotFound)が発生しました。"},
        {"JVMVOpen", -114, "searchkeyパラメータが不正です。"},
        {"JVMVOpen", -100, ""},
        {"JVMVRead", -203, "JVMVOpenが行なわれていません。"},
        {"JVMVRead", -403, "ダウンロードしたファイル内容が異常です。"},
        {"JVCourseFile", -502, "ダウンロードに失敗しました。(通信エラーやディスクエラー)"},
        {"JVCourseFile", -304, ""},
        {"JVCourseFile2", -118, "filepathパラメータが不正です。"},
        {"JVCourseFile2", -504, "サーバーメンテナンス中です。"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(JvResultMessage(c.method, c.code), std::string(c.text) + Code(c.code))
            << c.method << ' ' << c.code;
}

TEST(JvResultMessage, NamesMatchExactly) {
    EXPECT_EQ(JvResultMessage("JVCancel", 0), "(0)");
    EXPECT_EQ(JvResultMessage("", 0), "(0)");
    EXPECT_EQ(JvResultMessage("jvread", -3), "(-3)");
    EXPECT_EQ(JvResultMessage("JVRead ", -3), "(-3)");
    EXPECT_EQ(JvResultMessage("JVREAD", -3), "(-3)");
    EXPECT_EQ(JvResultMessage("JVSe", 0), "(0)");
    EXPECT_EQ(JvResultMessage("jvSetUIProperties", -101), "(-101)");
    EXPECT_EQ(JvResultMessage("JVSetServiceKey", -101),
              "すでにサービスキーが登録されています。(-101)");
    EXPECT_EQ(JvResultMessage("JVOpen", -999), "(-999)");
    EXPECT_EQ(JvResultMessage("JVOpen", 2147483647), "(2147483647)");
}
