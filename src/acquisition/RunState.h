#pragma once

namespace tavrel {

// Where a measurement stands. The run reports each change to its view, and the controls the
// operator may use follow from it alone.
enum class RunState {
    Idle,          // no measurement
    Waiting,       // the wait before the start (or the moment before the first burst)
    Converting,    // a burst is being recorded; its block is not written yet
    BetweenBursts, // the last burst's block is written, the next burst is due later
    Finishing,     // stopped: the data file is being completed
};

// The controls that a state leaves enabled. The start button also needs a usable card, which
// only the window knows.
struct RunControls {
    bool Start = true;
    bool Stop = false;
    bool FileMenus = true;  // the file and analysis menus
    bool ChannelBox = true; // the channel count box
};

constexpr RunControls ControlsFor(RunState state) {
    switch (state) {
    case RunState::Idle:
        return {true, false, true, true};
    case RunState::Finishing:
        return {false, false, false, false};
    case RunState::Waiting:
    case RunState::Converting:
    case RunState::BetweenBursts:
        break;
    }
    return {false, true, false, false};
}

} // namespace tavrel
