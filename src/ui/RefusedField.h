#pragma once

#include "text/Message.h"

namespace tavrel {

struct MainWindowForm;

// Shows the operator where a refused start went wrong: the page of the entry a parameter
// message is about comes to the front, the entry takes the focus and is marked until the
// next start. Other messages point at nothing.
void PointAtRefusedField(const MainWindowForm& form, const Message& message);
// Takes the marks of the last refusal away.
void ClearRefusedFields(const MainWindowForm& form);

} // namespace tavrel
