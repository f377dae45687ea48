#pragma once

#include "acquisition/MeasurementView.h"
#include "text/Message.h"

namespace tavrel {

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
