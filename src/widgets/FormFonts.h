#pragma once

#include <QFont>
#include <QString>

class QLineEdit;
class QWidget;

namespace tavrel {

// The forms name the Windows faces "ＭＳ Ｐゴシック" and "ＭＳ Ｐ明朝"; here they are drawn with
// the IPA proportional faces. Call once after the application object exists.
void InstallFontSubstitutions();

// "ＭＳ Ｐゴシック" at the given pixel size: the forms' font.
QFont GothicFont(int pixelSize = 12);
// "ＭＳ Ｐ明朝" at the given pixel size: the charts' texts.
QFont MinchoFont(int pixelSize = 12);

// The form's positions were made for the narrower Windows faces: a text wider than the room
// given to it gets a smaller font (down to 9 pixels) instead of being cut.
void FitFontToWidth(QWidget* widget, const QString& text, int room);

// Shows text in the line edit, in a smaller font (down to 8 pixels) when the parent's font would
// scroll it out of the box.
void ShowShrunkToFit(QLineEdit* edit, const QString& text);

} // namespace tavrel
