#pragma once

#include "acquisition/MeasurementView.h"
#include "text/Message.h"

#include <cstdint>
#include <optional>
#include <string>

namespace tavrel {

// The status once burst n (from 1) is in the file: the end, the next burst awaited (none on a
// trigger, whose wait says so itself), or the values clipped to what the file's codes hold,
// which are never cut without a word.
inline std::optional<Message> StatusAfterBurst(int n, bool last, std::int64_t clipped,
                                               bool triggered) {
    if (clipped > 0)
        return Message{last ? MessageId::FinishedClipped : MessageId::BurstClipped,
                       {std::to_string(n), std::to_string(clipped)}};
    if (last)
        return Message{MessageId::Finished};
    if (triggered)
        return std::nullopt;
    return Message{MessageId::BurstWaiting, {std::to_string(n + 1)}};
}

// The run's time text and progress, set at every step: each goes to the view only when it
// changed.
class RunDisplay {
public:
    explicit RunDisplay(MeasurementView& view) : view_(view) {}

    void Time(const Message& text) {
        if (text == lastTime_)
            return;
        lastTime_ = text;
        view_.SetTimeText(text);
    }
    // No time text.
    void NoTime() { Time(Verbatim("")); }
    void Progress(int percent) {
        if (percent == lastProgress_)
            return;
        lastProgress_ = percent;
        view_.SetProgress(percent);
    }
    // A new measurement: the next texts are shown whatever the last one showed.
    void Reset() {
        lastTime_ = Verbatim("");
        lastProgress_ = -1;
    }

private:
    MeasurementView& view_;
    Message lastTime_ = Verbatim("");
    int lastProgress_ = -1;
};

} // namespace tavrel
