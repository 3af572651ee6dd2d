#pragma once
#include "base/FramePacer.h"

// A main-loop clock that never sleeps: every reading is one frame period
// later, so a test runs frames as fast as they can be drawn.
class InstantClock : public LoopClock {
public:
    uint32_t ticks() override { return now += FramePacer::framePeriod; }
    void delay(uint32_t) override {}

private:
    uint32_t now = 0;
};
