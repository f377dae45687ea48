#pragma once

#include "Prompter.h"

#include <string>
#include <vector>

namespace tavrel::testing {

// Remembers every message box and gives a fixed answer.
class RecordingPrompter final : public Prompter {
public:
    struct Message {
        MessageKind Kind;
        std::string Text;
        MessageButtons Buttons;
    };

    MessageAnswer ShowMessage(MessageKind kind, std::string_view text, MessageButtons buttons,
                              int /*helpContext*/ = 0) override {
        Messages.push_back({kind, std::string(text), buttons});
        return buttons == MessageButtons::Ok ? MessageAnswer::Ok : Answer;
    }

    std::vector<Message> Messages;
    MessageAnswer Answer = MessageAnswer::Yes;
};

} // namespace tavrel::testing
