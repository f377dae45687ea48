#pragma once

#include <QDialog>

namespace tavrel {

// The about box: program name and version; the start-up banner and the Help menu's
// version information.
class AboutBox : public QDialog {
    Q_OBJECT
public:
    explicit AboutBox(QWidget* parent = nullptr);

protected:
    void showEvent(QShowEvent* event) override;
};

} // namespace tavrel
