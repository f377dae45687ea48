#pragma once

#include "acquisition/Device.h"
#include "acquisition/DeviceRegistry.h"
#include "acquisition/DeviceSwitch.h"
#include "model/Prompter.h"

#include <QObject>
#include <QString>

class QLabel;

#include <functional>
#include <vector>

namespace tavrel {

struct MainWindowForm;

// The card page: the device a measurement records from (the simulated card first, then the
// libsigrok devices, the choice remembered beside "default.apm" and never in a parameter
// file) and what was found of it, down to the device input each row of the channel table
// records. A window given a card of its own offers no choice.
class CardPage : public QObject {
public:
    // devices: the switch to choose with (nullptr: device is the only one). settingsFile
    // remembers the choice; messages gives the prompter the window uses at the time.
    CardPage(MainWindowForm& form, Device& device, DeviceSwitch* devices, QString settingsFile,
             std::function<Prompter&()> messages, QObject* parent = nullptr);

    // Lists the devices with the remembered one chosen.
    void FillDeviceChoice();
    // Looks for the chosen device and shows what it is; without one the start is refused.
    void ShowCardInformation();
    const DeviceIdentity& Found() const { return found_; }

private:
    void ComboDeviceChange(int index);

    MainWindowForm& form_;
    Device& device_;
    DeviceSwitch* devices_;
    QString settingsFile_;
    std::function<Prompter&()> messages_;
    std::vector<DeviceEntry> entries_;
    DeviceIdentity found_;
    QLabel* deviceChannels_ = nullptr;
};

} // namespace tavrel
