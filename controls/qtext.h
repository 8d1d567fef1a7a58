#pragma once
// CP932 texts at the form edge: records and form texts are CP932 bytes inside the system and
// become QString only where a widget shows or takes them.

#include <QString>

#include <string>
#include <string_view>

namespace controls {

QString SjToQ(std::string_view sjis);
// Characters CP932 lacks become '?'.
std::string QToSj(const QString& text);

} // namespace controls
