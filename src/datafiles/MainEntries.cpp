#include "datafiles/MainEntries.h"

#include <string>

namespace tavrel {

void MainEntries::SelectChannelItem(int index) {
    if (index >= 0 && index < static_cast<int>(ChNumItems.size())) {
        ComboChNumIndex = index;
        ComboChNumText = ChNumItems[static_cast<std::size_t>(index)];
    } else {
        ComboChNumIndex = -1;
        ComboChNumText.clear();
    }
}

void MainEntries::EnsureGridRows(int rows) {
    if (rows > static_cast<int>(GridCells.size()))
        GridCells.resize(static_cast<std::size_t>(rows));
}

MainEntries DefaultMainEntries(const std::string& exeDir) {
    MainEntries e;
    e.GridCells.resize(5);
    e.GridCells[0] = {"No.", "項目名", "単位", "A", "B"};
    for (int r = 1; r <= 4; ++r)
        e.GridCells[static_cast<std::size_t>(r)] = {std::to_string(r - 1),
                                                    "Ch." + std::to_string(r), "mV", "1", "0"};
    e.GridRowCount = 2;
    e.EditFileName = exeDir + "ADdata.sdf";
    return e;
}

} // namespace tavrel
