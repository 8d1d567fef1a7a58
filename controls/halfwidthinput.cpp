#include "controls/halfwidthinput.h"

namespace controls {

QChar HalfWidth(QChar c) {
    const char16_t u = c.unicode();
    if (u >= 0xFF01 && u <= 0xFF5E) return QChar(static_cast<char16_t>(u - 0xFF01 + u'!'));
    if (u == 0x3000) return QChar(u' ');
    // CP932's "－" reads as U+FF0D, the same byte pair through plain Shift-JIS as U+2212.
    if (u == 0x2212) return QChar(u'-');
    return c;
}

QString HalfWidth(QString text) {
    for (QChar& c : text) c = HalfWidth(c);
    return text;
}

} // namespace controls
