#include "audio/LadderFilter.h"

LadderFilter::LadderFilter()
{
    reset();
}

void LadderFilter::reset()
{
    clearState();
    coefficients(cutoff, res, warp, warp != 1.0, p, k, r);
}

void LadderFilter::clearState()
{
    y1 = y2 = y3 = y4 = 0.0;
    oldX = oldY1 = oldY2 = oldY3 = 0.0;
}

void LadderFilter::set(double cutoffHz, double resonance)
{
    cutoff = cutoffHz < lowestCutoff ? lowestCutoff : cutoffHz;
    res = resonance;
    coefficients(cutoff, res, warp, warp != 1.0, p, k, r);
}

float LadderFilter::process(double input)
{
    Stages<double> s{y1, y2, y3, y4, oldX, oldY1, oldY2, oldY3};
    const double y = step(input, p, r, s, x);
    y1 = s.y1;
    y2 = s.y2;
    y3 = s.y3;
    y4 = s.y4;
    oldX = s.oldX;
    oldY1 = s.oldY1;
    oldY2 = s.oldY2;
    oldY3 = s.oldY3;
    return static_cast<float>(y);
}

void LadderFilter::setSampleRate(SampleRate framesPerSecond)
{
    warp = SampleRate::reference / framesPerSecond.framesPerSecond();
    coefficients(cutoff, res, warp, warp != 1.0, p, k, r);
}
