#include "ui/CardPage.h"

#include "ui/MainWindowForm.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QSignalBlocker>
#include <QTableWidget>

#include <algorithm>
#include <utility>

namespace tavrel {

namespace {

QString Q(const std::string& utf8) {
    return QString::fromStdString(utf8);
}

} // namespace

CardPage::CardPage(MainWindowForm& form, Device& device, DeviceSwitch* devices,
                   QString settingsFile, std::function<Prompter&()> messages, QObject* parent)
    : QObject(parent), form_(form), device_(device), devices_(devices),
      settingsFile_(std::move(settingsFile)), messages_(std::move(messages)) {
    // Under the device: which format keeps what it delivers.
    auto* note = new QLabel(
        QCoreApplication::translate("tavrel::MainWindow",
                                    "sdf・tsdは値を±32767 mVの整数で記録します。装置の分解能の"
                                    "まま記録するには、保存形式にhdf5を選んで下さい。"),
        form_.ComboDevice->parentWidget());
    note->setObjectName(QStringLiteral("LabelResolution"));
    note->setWordWrap(true);
    note->setGeometry(8, 186, 240, 64);
    note->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    // Under the channel table: the device input each row records.
    deviceChannels_ = new QLabel(form_.StringGridChannel->parentWidget());
    deviceChannels_->setObjectName(QStringLiteral("LabelDeviceChannels"));
    deviceChannels_->setWordWrap(true);
    deviceChannels_->setGeometry(8, 184, 172, 36);
    deviceChannels_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
}

void CardPage::FillDeviceChoice() {
    QComboBox* box = form_.ComboDevice;
    const QSignalBlocker blocker(box);
    box->clear();
    entries_.clear();
    if (devices_ == nullptr) { // a card of its own: nothing to choose
        box->addItem(QCoreApplication::translate("tavrel::MainWindow", "模擬カード"));
        box->setEnabled(false);
        return;
    }
    entries_ = ListDevices(true);
    const QSettings remembered(settingsFile_, QSettings::IniFormat);
    const QString wanted = remembered.value(QStringLiteral("Device/Name")).toString();
    int chosen = 0;
    for (std::size_t i = 0; i < entries_.size(); ++i) {
        const DeviceEntry& device = entries_[i];
        QString channels;
        for (const std::string& c : device.Channels)
            channels += (channels.isEmpty() ? QString() : QStringLiteral(", ")) + Q(c);
        // A libsigrok device by its vendor and model; its name only tells two alike apart.
        const auto alike = std::count_if(entries_.begin(), entries_.end(), [&](const auto& e) {
            return e.Description == device.Description;
        });
        box->addItem(device.Sigrok != nullptr
                         ? Q(device.Description) +
                               (alike > 1 ? QStringLiteral(" (%1)").arg(Q(device.Name)) : QString())
                     : device.Events
                         ? QCoreApplication::translate("tavrel::MainWindow", "模擬カード（パルス）")
                         : QCoreApplication::translate("tavrel::MainWindow", "模擬カード"));
        box->setItemData(static_cast<int>(i),
                         Q(device.Description) + QStringLiteral("\n") + channels +
                             QStringLiteral("\n") + Q(device.Rates),
                         Qt::ToolTipRole);
        if (Q(device.Name) == wanted)
            chosen = static_cast<int>(i);
    }
    box->setCurrentIndex(chosen);
    devices_->Select(entries_[static_cast<std::size_t>(chosen)]);
    connect(box, &QComboBox::currentIndexChanged, this, &CardPage::ComboDeviceChange,
            Qt::UniqueConnection);
    if (!wanted.isEmpty() && Q(entries_[static_cast<std::size_t>(chosen)].Name) != wanted)
        messages_().ShowMessage(
            MessageKind::Information,
            Verbatim(
                (QCoreApplication::translate("tavrel::MainWindow",
                                             "装置「%1」が見つかりません。模擬カードで計測します。")
                     .arg(wanted))
                    .toStdString()),
            MessageButtons::Ok);
}

void CardPage::ComboDeviceChange(int index) {
    if (devices_ == nullptr || index < 0 || static_cast<std::size_t>(index) >= entries_.size())
        return;
    const DeviceEntry& device = entries_[static_cast<std::size_t>(index)];
    devices_->Select(device);
    // Beside "default.apm", never in a parameter file.
    QSettings remembered(settingsFile_, QSettings::IniFormat);
    remembered.setValue(QStringLiteral("Device/Name"), Q(device.Name));
    ShowCardInformation();
}

void CardPage::ShowCardInformation() {
    found_ = device_.Identify();
    if (found_.Found) {
        form_.TextCardType->setText(Q(found_.Model));
        form_.TextCardType->setCursorPosition(0);
        form_.TextAdrs->setText(Q(found_.Address));
        form_.TextIrqNo->setText(Q(found_.Irq));
        form_.BtnAdStart->setEnabled(true);
        QString inputs;
        for (std::size_t c = 0; c < found_.Channels.size() && c < MainWindowForm::MaxChannels; ++c)
            inputs +=
                (inputs.isEmpty() ? QString() : QStringLiteral(", ")) + Q(found_.Channels[c].Name);
        deviceChannels_->setText(
            QCoreApplication::translate("tavrel::MainWindow", "各行の装置の入力：%1").arg(inputs));
    } else {
        deviceChannels_->clear();
        form_.TextCardType->setText(QStringLiteral("No Card in Slot"));
        form_.BtnAdStart->setEnabled(false);
        messages_().ShowMessage(MessageKind::Information,
                                Verbatim(QCoreApplication::translate(
                                             "tavrel::MainWindow", "AD変換カードが入っていません。")
                                             .toStdString()),
                                MessageButtons::Ok);
    }
}

} // namespace tavrel
