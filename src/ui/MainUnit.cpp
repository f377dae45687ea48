#include "MainUnit.h"

namespace tavrel {

TForm1::TForm1(QWidget* parent) : QMainWindow(parent) {
    setWindowTitle(QStringLiteral("AD変換データ収集システム TavrelREX"));
    resize(680, 409);
}

} // namespace tavrel
