#include "FormFonts.h"

#include <QStringList>

namespace tavrel {

namespace {
const QString GothicFace = QStringLiteral("ＭＳ Ｐゴシック");
const QString MinchoFace = QStringLiteral("ＭＳ Ｐ明朝");
} // namespace

void InstallFontSubstitutions() {
    QStringList gothic;
    gothic << QStringLiteral("IPAPGothic") << QStringLiteral("IPAGothic");
    QStringList mincho;
    mincho << QStringLiteral("IPAPMincho") << QStringLiteral("IPAMincho");
    QFont::insertSubstitutions(GothicFace, gothic);
    QFont::insertSubstitutions(MinchoFace, mincho);
}

QFont GothicFont(int pixelSize) {
    QFont font(GothicFace);
    font.setPixelSize(pixelSize);
    return font;
}

QFont MinchoFont(int pixelSize) {
    QFont font(MinchoFace);
    font.setPixelSize(pixelSize);
    return font;
}

} // namespace tavrel
