#pragma once

#include "AdLib32.h"
#include "Prompter.h"

#include <deque>
#include <string>
#include <vector>

namespace tavrel::test {

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

    int detectCalls = 0;

private:
    int slot_, cardType_, ioAddress_, irq_;
};

// Records every message and answers from a queue (No when it runs dry).
class RecordingPrompter : public Prompter {
public:
    struct Message {
        MessageKind Kind;
        std::string Text;
        MessageButtons Buttons;
    };
    MessageAnswer ShowMessage(MessageKind kind, std::string_view text, MessageButtons buttons,
                              int) override {
        messages.push_back({kind, std::string(text), buttons});
        if (buttons == MessageButtons::Ok)
            return MessageAnswer::Ok;
        if (answers.empty())
            return MessageAnswer::No;
        const MessageAnswer a = answers.front();
        answers.pop_front();
        return a;
    }
    std::vector<Message> messages;
    std::deque<MessageAnswer> answers;
};

} // namespace tavrel::test
