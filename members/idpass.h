#pragma once
// The members ID and password: what may be typed, what is accepted, and how both are kept in
// the settings file (section "Lisence", keys "ID" and "pass", the password masked).

#include "keiba/inigt.h"
#include "keiba/platform.h"

#include <string>
#include <string_view>

namespace members {

inline constexpr std::string_view kLisenceSection = "Lisence"; // as the settings file spells it
inline constexpr std::string_view kIdKey = "ID";
inline constexpr std::string_view kPassKey = "pass";
inline constexpr int kMaxIdPassLength = 8;

// Masks a password for the settings file and unmasks it again: the bytes up to the first NUL,
// each but the mask byte itself combined with the mask by exclusive-or. Applying it twice gives
// the text back for every byte but NUL.
std::string UnscramblePassword(std::string_view text);

// Typed characters the edits take; Enter and Backspace pass both. Everything else is dropped.
bool IdKeyAllowed(char32_t c);   // 0-9 a-z _ ~ + -
bool PassKeyAllowed(char32_t c); // 0-9 a-z

struct Credentials {
    std::string id;
    std::string password; // plain
};

// The stored ID and password (unmasked); empty texts where nothing is stored.
Credentials ReadCredentials(const keiba::TIniGT& ini);

// The OK button of the ID dialog: both texts trimmed of blanks and control characters, checked
// (length, and the "7" the site refuses at either end of a password), then stored; every
// outcome is told through `notifier`. True when both were stored.
bool SaveCredentials(keiba::TIniGT& ini, std::string_view idText, std::string_view passText,
                     keiba::Notifier& notifier);

} // namespace members
