#pragma once
// Texts at the form edge: records and form texts are CP932 bytes inside the system, messages and
// file names UTF-8, and both become QString only where a widget shows or takes them.

#include <QString>

#include <string>
#include <string_view>

namespace controls {

QString SjToQ(std::string_view sjis);
// Characters CP932 lacks become '?'.
std::string QToSj(const QString& text);

// UTF-8 texts (messages, settings values, file names).
QString U(std::string_view utf8);
std::string ToUtf8(const QString& text);

// What the user typed, as UTF-8 in the form it reads back as from CP932 (keiba::Cp932ReadBack):
// a name or setting typed with 〜 is kept with ～, which is what the settings file, the user sets
// and every Shift-JIS file give back, so it matches itself after a restart.
std::string TypedText(const QString& text);

} // namespace controls
