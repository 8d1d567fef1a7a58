#include "controls/qtext.h"

#include "keiba/sjis.h"

namespace controls {

QString SjToQ(std::string_view sjis) {
    return U(keiba::Cp932ToUtf8(sjis));
}

std::string QToSj(const QString& text) {
    const QByteArray utf8 = text.toUtf8();
    return keiba::Utf8ToCp932(
        std::string_view(utf8.constData(), static_cast<std::size_t>(utf8.size())));
}

QString U(std::string_view utf8) {
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

std::string ToUtf8(const QString& text) {
    const QByteArray utf8 = text.toUtf8();
    return std::string(utf8.constData(), static_cast<std::size_t>(utf8.size()));
}

std::string TypedText(const QString& text) {
    return keiba::Cp932ReadBack(ToUtf8(text));
}

} // namespace controls
