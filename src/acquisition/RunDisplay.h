#pragma once

#include "acquisition/MeasurementView.h"

#include <string>

namespace tavrel {

// The run's time text and progress, set at every step: each goes to the view only when it
// changed.
class RunDisplay {
public:
    explicit RunDisplay(MeasurementView& view) : view_(view) {}

    void Time(const std::string& text) {
        if (text == lastTime_)
            return;
        lastTime_ = text;
        view_.SetTimeText(text);
    }
    void Progress(int percent) {
        if (percent == lastProgress_)
            return;
        lastProgress_ = percent;
        view_.SetProgress(percent);
    }
    // A new measurement: the next texts are shown whatever the last one showed.
    void Reset() {
        lastTime_.clear();
        lastProgress_ = -1;
    }

private:
    MeasurementView& view_;
    std::string lastTime_;
    int lastProgress_ = -1;
};

} // namespace tavrel
