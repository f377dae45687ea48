#include "MainUnit.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    tavrel::TForm1 window;
    window.show();
    return app.exec();
}
