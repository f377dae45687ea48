#pragma once

#include "model/Prompter.h"

#include <string_view>

class QWidget;

namespace tavrel {

// A modal message box of the given kind: its caption and icon, the form's font, and "OK" or
// "はい"/"いいえ" as buttons (Esc answers OK or No). parent null: a box of its own.
MessageAnswer ShowMessageBox(QWidget* parent, MessageKind kind, std::string_view text,
                             MessageButtons buttons);

} // namespace tavrel
