#pragma once

#include <QDialog>

class QFrame;
class QLabel;
class QPushButton;

namespace tavrel {

// The about box: program name and version; the start-up banner and the Help menu's
// version information.
class TAboutBox : public QDialog {
    Q_OBJECT
public:
    explicit TAboutBox(QWidget* parent = nullptr);

    QFrame* Panel1 = nullptr;
    QLabel* ProgramIcon = nullptr;
    QLabel* ADREX = nullptr;
    QLabel* Version = nullptr;
    QLabel* Comments = nullptr;
    QPushButton* OKButton = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
};

} // namespace tavrel
