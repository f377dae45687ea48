#pragma once

#include <array>
#include <string>
#include <vector>

namespace tavrel {

// The trigger page's entries: item indices and texts as the parameter validation reads them.
struct TriggerEntries {
    int Mode = 0;    // 0 schedule, 1 trigger
    int Channel = 0; // the measurement's channel, items "1".."4"
    int Edge = 0;    // 0 rising, 1 falling, 2 either
    std::string Level = "0";
    std::string Hysteresis; // empty: the default share of the channel's range
    std::string PreTrigger = "0";
    std::string HoldOff = "0";     // seconds
    std::string AutoTimeout = "0"; // seconds, 0: none

    friend bool operator==(const TriggerEntries&, const TriggerEntries&) = default;
};

// A snapshot of the main window's entries: the texts and item indices that the parameter
// validation reads and the parameter file writes and reads. The window fills it from its
// widgets and applies it back; the core works on the snapshot alone. Texts are UTF-8.
// Item index -1 means no item selected.
struct MainEntries {
    using GridRow = std::array<std::string, 5>; // No., name, unit, A, B

    std::string EditWaitTime = "0";
    std::string EditIteration = "1";
    std::string EditBurstInterval = "1";
    int ComboBoxBITUnit = 2; // 0 "sec", 1 "min", 2 "hr"
    std::string EditSInterval = "100";
    int ComboSampUnit = 1; // 0 "sec", 1 "msec", 2 "usec"
    std::string EditDataNum = "512";
    std::string ComboChNumText = "1"; // the box also accepts typing
    int ComboChNumIndex = 0;          // items "1".."4"
    // Row 0 is the title row; rows 1.. the channels. Rows beyond GridRowCount are hidden and
    // keep their texts.
    std::vector<GridRow> GridCells;
    int GridRowCount = 2;
    std::string Memo1;
    int RadioGroupFileType = 0; // 0 sdf, 1 tsd
    std::string EditFileName;
    std::string ApplicationPath;
    TriggerEntries Trigger;

    // Selects an item of the channel box; an index naming no item clears the selection and
    // the text, as a drop-down box does.
    void SelectChannelItem(int index);
    // Makes sure rows 0..rows-1 exist (new rows empty).
    void EnsureGridRows(int rows);
};

inline constexpr std::array<const char*, 3> SampUnitItems{"sec", "msec", "usec"};
inline constexpr std::array<const char*, 3> BitUnitItems{"sec", "min", "hr"};
inline constexpr std::array<const char*, 4> ChNumItems{"1", "2", "3", "4"};

// The entries as the window shows them at start-up with no parameter file: the grid rows
// numbered 0..3 with Ch.1..Ch.4, "mV", "1", "0"; one channel row visible.
// exeDir ends in a path separator; the data file is exeDir + "ADdata.sdf".
MainEntries DefaultMainEntries(const std::string& exeDir);

} // namespace tavrel
