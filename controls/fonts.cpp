#include "controls/fonts.h"

#include <QStringList>

namespace controls {

QString GothicFamily() {
    return QStringLiteral("ＭＳ ゴシック");
}

QString PGothicFamily() {
    return QStringLiteral("ＭＳ Ｐゴシック");
}

void InstallFontSubstitutes() {
    static const bool installed = [] {
        QFont::insertSubstitutions(GothicFamily(), {QStringLiteral("IPAGothic"),
                                                    QStringLiteral("Noto Sans Mono CJK JP"),
                                                    QStringLiteral("Noto Sans CJK JP")});
        QFont::insertSubstitutions(
            PGothicFamily(), {QStringLiteral("IPAPGothic"), QStringLiteral("Noto Sans CJK JP")});
        return true;
    }();
    (void)installed;
}

QFont GothicFont(int pointSize) {
    InstallFontSubstitutes();
    QFont f(GothicFamily(), pointSize);
    f.setStyleHint(QFont::TypeWriter);
    return f;
}

QFont PGothicFont(int pointSize) {
    InstallFontSubstitutes();
    return QFont(PGothicFamily(), pointSize);
}

} // namespace controls
