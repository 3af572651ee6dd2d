#pragma once

// One frame of the interleaved stereo float stream, left first.
struct StereoFrame {
    float left;
    float right;
};
static_assert(sizeof(StereoFrame) == 2 * sizeof(float), "frames must overlay the float buffer");
