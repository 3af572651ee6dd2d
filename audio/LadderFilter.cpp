#include "audio/LadderFilter.h"

#include <cmath>
#include <limits>

namespace {

constexpr double tuningScale = 1.386249;  // maps 1 - p onto the resonance exponent
constexpr double infinity = std::numeric_limits<double>::infinity();

} // namespace

LadderFilter::LadderFilter()
{
    reset();
}

void LadderFilter::reset()
{
    clearState();
    computeCoefficients();
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
    computeCoefficients();
}

void LadderFilter::computeCoefficients()
{
    const double f = 2.0 * cutoff / sampleRate;
    p = (1.8 - 0.8 * f) * f;
    k = 2.0 * p - 1.0;
    const double t = (1.0 - p) * tuningScale;
    // A rational approximation of res * e^t.
    r = res * (t * t + 6.0 * t + 12.0) / (t * t - 6.0 * t + 12.0);
}

float LadderFilter::process(double input)
{
    x = input - r * y4;
    bool restarted = false;
    if (x == -infinity) {
        clearState();
        restarted = true;
    }
    y1 = p * x + p * oldX - k * y1;
    y2 = p * y1 + p * oldY1 - k * y2;
    y3 = p * y2 + p * oldY2 - k * y3;
    y4 = p * y3 + p * oldY3 - k * y4;
    if (std::isnan(y4)) {
        clearState();
        restarted = true;
    }
    y4 = y4 - y4 * y4 * y4 / 6.0;
    // Besides the infinities, a NaN made by the clipper itself (an infinite
    // stage) must not reach the output or stay in the memories.
    if (y4 == -infinity || y4 == infinity || std::isnan(y4)) {
        clearState();
        restarted = true;
    }
    if (restarted || !std::isfinite(x) || !std::isfinite(y1) || !std::isfinite(y2) || !std::isfinite(y3)) {
        // Start the next sample from silence rather than from an infinity.
        clearState();
        x = 0.0;
        return static_cast<float>(y4);
    }
    oldX = x;
    oldY1 = y1;
    oldY2 = y2;
    oldY3 = y3;
    return static_cast<float>(y4);
}
