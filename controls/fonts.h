#pragma once
// The two font families the screens and the printed sheets were laid out for, and the installed
// fonts that stand in for them. IPAGothic and IPAPGothic have the metrics of those layouts, so
// texts keep the widths and line heights the grids and sheets were drawn for; Noto CJK is the
// fallback when they are missing.

#include <QFont>
#include <QString>

namespace controls {

// "ＭＳ ゴシック" (fixed pitch) and "ＭＳ Ｐゴシック" (proportional).
QString GothicFamily();
QString PGothicFamily();

// Maps both names to their stand-ins for every QFont of the process. Safe to call again.
void InstallFontSubstitutes();

// A font of the family at `pointSize`, with the substitutes installed.
QFont GothicFont(int pointSize);
QFont PGothicFont(int pointSize);

} // namespace controls
