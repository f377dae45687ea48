#pragma once

#include <QDialog>

class QFrame;
class QLabel;
class QPushButton;

namespace tavrel {

// The about box: program name and version; the start-up banner and the Help menu's
// version information.
class AboutBox : public QDialog {
    Q_OBJECT
public:
    explicit AboutBox(QWidget* parent = nullptr);

protected:
    void showEvent(QShowEvent* event) override;

private:
    QFrame* frame_ = nullptr;
    QLabel* iconLabel_ = nullptr;
    QLabel* programName_ = nullptr;
    QLabel* versionLabel_ = nullptr;
    QLabel* commentsLabel_ = nullptr;
    QPushButton* okButton_ = nullptr;
};

} // namespace tavrel
