#include "members/idpass.h"

#include "keiba/sjis.h"

namespace members {
namespace {

// Exclusive-or with 0x01 is the one one-byte mask that keeps every character a password may be
// typed with printable ASCII and clear of what the settings store trims or reads specially
// (blanks, controls, quotes, ";" and "="). The mask byte itself stays, so nothing maps to NUL.
constexpr unsigned char kPasswordMask = 0x01;

constexpr std::string_view kSevenFirst =
    "恐れ入りますがパスワードの先頭文字に「7」は使用できません。\r\n"
    "ルミナードWEBサイトでパスワードを変更してください。";
constexpr std::string_view kSevenLast =
    "恐れ入りますがパスワードの末尾文字に「7」は使用できません。\r\n"
    "ルミナードWEBサイトでパスワードを変更してください。";

bool IsDigitOrLower(char32_t c) {
    return (c >= U'0' && c <= U'9') || (c >= U'a' && c <= U'z');
}

bool IsControlKey(char32_t c) {
    return c == U'\r' || c == U'\b';
}

// The length the site counts: Shift-JIS bytes, two for a full-width character.
std::size_t SjisLength(std::string_view utf8) {
    return keiba::Utf8ToCp932(utf8).size();
}

// The masked text survives the settings file unchanged.
bool Storable(std::string_view masked) {
    for (char ch : masked) {
        auto c = static_cast<unsigned char>(ch);
        if (c <= ' ' || c >= 0x7F || c == '"' || c == '\'' || c == ';' || c == '=') return false;
    }
    return true;
}

void Refuse(keiba::Notifier& notifier, std::string_view text) {
    notifier.Beep();
    notifier.Information(std::string(text));
}

} // namespace

std::string UnscramblePassword(std::string_view text) {
    std::string out;
    for (char ch : text) {
        auto c = static_cast<unsigned char>(ch);
        if (c == 0) break;
        out += static_cast<char>(c == kPasswordMask ? c : c ^ kPasswordMask);
    }
    return out;
}

bool IdKeyAllowed(char32_t c) {
    return IsDigitOrLower(c) || c == U'_' || c == U'~' || c == U'+' || c == U'-' || IsControlKey(c);
}

bool PassKeyAllowed(char32_t c) {
    return IsDigitOrLower(c) || IsControlKey(c);
}

Credentials ReadCredentials(const keiba::TIniGT& ini) {
    return {ini.ReadString(kLisenceSection, kIdKey, ""),
            UnscramblePassword(ini.ReadString(kLisenceSection, kPassKey, ""))};
}

bool SaveCredentials(keiba::TIniGT& ini, std::string_view idText, std::string_view passText,
                     keiba::Notifier& notifier) {
    std::string_view id = keiba::TrimBlanks(idText);
    std::string_view pass = keiba::TrimBlanks(passText);
    if (SjisLength(id) < 4 || SjisLength(pass) < 4) {
        Refuse(notifier, "IDまたはパスワードが短すぎます。");
        return false;
    }
    if (pass.front() == '7') {
        Refuse(notifier, kSevenFirst);
        return false;
    }
    if (pass.back() == '7') {
        Refuse(notifier, kSevenLast);
        return false;
    }
    std::string masked = UnscramblePassword(pass);
    if (!Storable(masked) || masked.size() != pass.size()) {
        Refuse(notifier, "パスワードに使用できない文字が含まれています。");
        return false;
    }
    keiba::IoResult io = ini.WriteString(kLisenceSection, kIdKey, id);
    if (io) io = ini.WriteString(kLisenceSection, kPassKey, masked);
    if (!io) {
        Refuse(notifier, io.message);
        return false;
    }
    notifier.Beep();
    notifier.Information("ID[" + std::string(id) + "]にて登録されました。");
    return true;
}

} // namespace members
