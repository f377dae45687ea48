#pragma once

#include <string_view>

namespace tavrel {

// The box's caption follows its kind: "警告", "エラー", "情報", "確認".
enum class MessageKind { Warning, Error, Information, Confirmation };
enum class MessageButtons { Ok, YesNo };
enum class MessageAnswer { Ok, Yes, No };

// Shows the operator a message box and returns the answer. The core never opens a window: the
// window program, the command line and the tests each give their own.
// Texts are UTF-8. Called on the thread that runs the operation; may run nested events.
class Prompter {
public:
    virtual ~Prompter() = default;
    virtual MessageAnswer ShowMessage(MessageKind kind, std::string_view text,
                                      MessageButtons buttons, int helpContext = 0) = 0;
};

inline constexpr std::string_view CaptionOf(MessageKind kind) {
    switch (kind) {
    case MessageKind::Warning:
        return "警告";
    case MessageKind::Error:
        return "エラー";
    case MessageKind::Information:
        return "情報";
    case MessageKind::Confirmation:
        return "確認";
    }
    return "";
}

} // namespace tavrel
