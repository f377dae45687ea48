#pragma once

#include "datafiles/MainEntries.h"

#include <QWidget>

class QButtonGroup;
class QComboBox;
class QLineEdit;
class QTabWidget;

namespace tavrel {

// The trigger page, after the window's other pages: whether bursts start on the schedule or
// on the signal, and the trigger's channel, edge, level, hysteresis, pre-trigger share,
// hold-off and auto time-out. The controls only a trigger uses are disabled while the
// schedule starts the bursts. Each control carries its entry's name as its object name.
class TriggerPage : public QWidget {
    Q_OBJECT
public:
    // Builds the page as the last tab of pages.
    explicit TriggerPage(QTabWidget* pages);

    TriggerEntries Entries() const;
    // An item index outside its box selects nothing.
    void Apply(const TriggerEntries& entries);

private:
    void ShowMode();

    QButtonGroup* mode_ = nullptr;    // "TriggerModeGroup": 0 schedule, 1 trigger
    QComboBox* channel_ = nullptr;    // "TriggerChannel"
    QComboBox* edge_ = nullptr;       // "TriggerEdge"
    QLineEdit* level_ = nullptr;      // "TriggerLevel"
    QLineEdit* hysteresis_ = nullptr; // "TriggerHysteresis"
    QLineEdit* pre_ = nullptr;        // "TriggerPreTrigger"
    QLineEdit* holdOff_ = nullptr;    // "TriggerHoldOff"
    QLineEdit* timeout_ = nullptr;    // "TriggerAutoTimeout"
    QWidget* triggerOnly_ = nullptr;  // what the schedule does not use
};

} // namespace tavrel
