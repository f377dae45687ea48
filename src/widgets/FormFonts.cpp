#include "widgets/FormFonts.h"

#include <QFontInfo>
#include <QFontMetrics>
#include <QLineEdit>
#include <QStringList>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QWidget>

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
    // The about box and the progress dialog name Windows faces too: the metric-compatible
    // Liberation faces keep their texts in the boxes drawn for them.
    QStringList serif;
    serif << QStringLiteral("Liberation Serif") << QStringLiteral("Nimbus Roman")
          << QStringLiteral("DejaVu Serif");
    QStringList sans;
    sans << QStringLiteral("Liberation Sans") << QStringLiteral("Nimbus Sans")
         << QStringLiteral("DejaVu Sans");
    QFont::insertSubstitutions(QStringLiteral("Times New Roman"), serif);
    QFont::insertSubstitutions(QStringLiteral("Arial"), sans);
}

void FitFontToWidth(QWidget* widget, const QString& text, int room) {
    QFont font = widget->font();
    if (font.pixelSize() <= 0)
        font.setPixelSize(QFontInfo(font).pixelSize());
    while (font.pixelSize() > 9 && QFontMetrics(font).horizontalAdvance(text) > room)
        font.setPixelSize(font.pixelSize() - 1);
    widget->setFont(font);
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

namespace {

// The widest text the line edit shows whole, without scrolling it.
int TextRoom(QLineEdit* edit) {
    QStyleOptionFrame option;
    option.initFrom(edit);
    option.lineWidth = edit->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, edit);
    option.midLineWidth = 0;
    option.state |= QStyle::State_Sunken;
    const QRect contents =
        edit->style()->subElementRect(QStyle::SE_LineEditContents, &option, edit);
    const QMargins margins = edit->textMargins();
    constexpr int lineEditMargin = 2; // QLineEdit keeps this much on each side of its text
    return contents.width() - margins.left() - margins.right() - 2 * lineEditMargin;
}

} // namespace

void ShowShrunkToFit(QLineEdit* edit, const QString& text) {
    QFont font = edit->parentWidget()->font();
    if (font.pixelSize() <= 0)
        font.setPixelSize(QFontInfo(font).pixelSize());
    const int room = TextRoom(edit);
    while (font.pixelSize() > 8 && QFontMetrics(font).horizontalAdvance(text) > room)
        font.setPixelSize(font.pixelSize() - 1);
    if (font != edit->font())
        edit->setFont(font);
    edit->setText(text);
}

} // namespace tavrel
