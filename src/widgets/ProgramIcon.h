#pragma once

#include <QIcon>
#include <QPixmap>

namespace tavrel {

// The program's icon: a PC-card with a red waveform on a scope grid, drawn at any size.
QPixmap ProgramIconPixmap(int size);
// The icon in the usual sizes, for windows.
QIcon ProgramIcon();

} // namespace tavrel
