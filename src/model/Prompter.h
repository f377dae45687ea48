#pragma once

#include "text/Message.h"

#include <string_view>

namespace tavrel {

// The box's caption follows its kind: "警告", "エラー", "情報", "確認".
enum class MessageKind { Warning, Error, Information, Confirmation };
// YesNoDefaultNo: a question whose Enter must not destroy anything (an overwrite).
enum class MessageButtons { Ok, YesNo, YesNoDefaultNo };
enum class MessageAnswer { Ok, Yes, No };

// Shows the operator a message box and returns the answer. The core never opens a window: the
// window program, the command line and the tests each give their own, and each makes the
// message's words (and finds its help topic, HelpContextOf) itself.
// Called on the thread that runs the operation; may run nested events.
class Prompter {
public:
    virtual ~Prompter() = default;
    virtual MessageAnswer ShowMessage(MessageKind kind, const Message& message,
                                      MessageButtons buttons) = 0;
};

constexpr bool AsksYesNo(MessageButtons buttons) {
    return buttons != MessageButtons::Ok;
}

constexpr MessageId CaptionIdOf(MessageKind kind) {
    switch (kind) {
    case MessageKind::Warning:
        return MessageId::CaptionWarning;
    case MessageKind::Error:
        return MessageId::CaptionError;
    case MessageKind::Information:
        return MessageId::CaptionInformation;
    case MessageKind::Confirmation:
        break;
    }
    return MessageId::CaptionConfirmation;
}

inline std::string_view CaptionOf(MessageKind kind) {
    return FormOf(CaptionIdOf(kind));
}

} // namespace tavrel
