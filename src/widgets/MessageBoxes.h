#pragma once

#include "model/Prompter.h"

#include <string_view>

class QWidget;

namespace tavrel {

// A modal message box of the given kind: its caption and icon, the form's font, and "OK" or
// "はい"/"いいえ" as buttons; the message in the window's language (Esc answers OK or No). parent
// null: a box of its own.
MessageAnswer ShowMessageBox(QWidget* parent, MessageKind kind, const Message& message,
                             MessageButtons buttons);

} // namespace tavrel
