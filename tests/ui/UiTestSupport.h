#pragma once

#include "TestSupport.h"
#include "acquisition/simulated/AdLib32.h"
#include "acquisition/simulated/SimulatedDevice.h"
#include "ui/MainWindow.h"

#include <QMainWindow>
#include <QMenuBar>
#include <QObject>
#include <QString>
#include <QTest>
#include <QtGlobal>

#include <memory>

namespace tavrel::test {

// The child of the given type and object name; a missing one ends the test program, as every
// later check would be meaningless.
template <typename T> T* Child(const QObject& parent, const char* name) {
    T* child = parent.findChild<T*>(QString::fromLatin1(name));
    if (!child)
        qFatal("no %s named %s", T::staticMetaObject.className(), name);
    return child;
}

// A main window's controls by their object names: those on its central widget, its menus and
// their actions, and what it owns directly (dialogs, timers). The dialogs reuse some names of
// the window's controls, so each kind is looked for only where it lives.
template <typename T> T* Form(const QMainWindow& window, const char* name) {
    return Child<T>(*window.centralWidget(), name);
}
template <typename T> T* Menu(const QMainWindow& window, const char* name) {
    return Child<T>(*window.menuBar(), name);
}
template <typename T> T* Own(const QMainWindow& window, const char* name) {
    T* child = window.findChild<T*>(QString::fromLatin1(name), Qt::FindDirectChildrenOnly);
    if (!child)
        qFatal("no %s named %s", T::staticMetaObject.className(), name);
    return child;
}

// A card that answers the detection only: found in the given slot, or nowhere.
class DetectOnlyCard : public AdLib32 {
public:
    explicit DetectOnlyCard(int slot, int cardType = 1, int ioAddress = 768, int irq = 10)
        : slot_(slot), cardType_(cardType), ioAddress_(ioAddress), irq_(irq) {}

    void SetNotifyCallback(DriverNotify) override {}
    int AdGetCardResource(int, int slot, int& cardType, int& ioAddress, int& irq) override {
        ++detectCalls;
        if (slot != slot_)
            return -1;
        cardType = cardType_;
        ioAddress = ioAddress_;
        irq = irq_;
        return 0;
    }
    int AdSetParamAuto(int) override { return -1; }
    int AdSetChannel(std::int16_t, const std::int16_t (&)[8]) override { return -1; }
    int AdSetFreq(std::uint16_t, std::uint16_t) override { return -1; }
    int AdFreeRingBuf() override { return 0; }
    int AdStopIrqMode() override { return 0; }
    int AdAllocRingBuf(std::int32_t, std::int32_t) override { return -1; }
    int AdStartIrqRingMode(int) override { return -1; }
    int AdGetRingBuf(std::span<std::uint16_t>, std::int32_t, std::int32_t) override { return 0; }
    double HexToVal(std::uint32_t) override { return 0; }

    Device& AsDevice() { return device_; }

    int detectCalls = 0;

private:
    int slot_, cardType_, ioAddress_, irq_;
    SimulatedDevice device_{*this};
};

// Starts a window the way the program does, without the banner, with messages recorded.
inline std::unique_ptr<MainWindow> StartWindow(DetectOnlyCard& card, RecordingPrompter& prompter,
                                               const QString& exeDir, const QString& configDir) {
    MainWindowOptions options;
    options.ShowAboutBox = false;
    options.ExeDir = exeDir;
    options.ConfigDir = configDir;
    auto window = std::make_unique<MainWindow>(card.AsDevice(), options);
    window->RedirectMessages(&prompter);
    window->show();
    if (!QTest::qWaitFor([&] { return window->StartUpDone(); }, 5000))
        return nullptr;
    return window;
}

} // namespace tavrel::test
