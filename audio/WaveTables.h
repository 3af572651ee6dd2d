#pragma once

// Band-limited sawtooth and square tables shared by every voice: seven bands
// each, fewer harmonics for higher notes so nothing folds over Nyquist.
class WaveTables {
public:
    static constexpr int bandCount = 7;
    static constexpr int tableLength = 1024;
    static constexpr int squareOffset = bandCount;  // squares follow the saws

    // Built once, on first use (the first voice's construction).
    static const WaveTables& shared();

    // Each table is followed by a copy of its first sample, so that a read
    // between the last sample and the first needs no wrap.
    const float* saw(int band) const { return tables[band]; }
    const float* square(int band) const { return tables[squareOffset + band]; }

private:
    WaveTables();
    float tables[2 * bandCount][tableLength + 1] = {};
};
