#pragma once

// Bends x in [0, 1] onto [0, 1]: x / (x + k(x - 1)). Envelopes use two bends.
inline constexpr float steepCurve = -9.0f;        // slow start, fast finish: 0.1 at 0.5
inline constexpr float softCurve = -0.33333337f;  // fast start, slow finish: 0.75 at 0.5

inline float shapeCurve(float x, float k)
{
    return x / (x + k * (x - 1.0f));
}
