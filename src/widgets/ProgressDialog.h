#pragma once

#include "model/ProgressReporter.h"

#include <QDialog>

class QLabel;
class QProgressBar;
class QPushButton;

namespace tavrel {

// The progress dialog of a long operation that runs on the user-interface thread. Modeless:
// the operation keeps the control and lets pending events through at each report, which is
// when a click on the cancel button (or Esc) arrives.
class ProgressDialog : public QDialog, public ProgressReporter {
    Q_OBJECT
public:
    explicit ProgressDialog(QWidget* parent = nullptr);

    void StartProgress(std::string_view caption) override;
    void SetProgress(int percent) override;
    bool Cancelled() const override { return cancelled_; }
    void HideProgress() override { hide(); }

    // The cancel button's handler.
    void Cancel();

protected:
    // Esc and the window's close button act as the cancel button.
    void reject() override;

private:
    void ShowPercent(int percent);

    QPushButton* cancelButton_ = nullptr;
    QLabel* percentLabel_ = nullptr;
    QProgressBar* progressBar_ = nullptr;
    bool cancelled_ = false;
};

} // namespace tavrel
