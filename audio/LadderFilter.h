#pragma once

// Four-pole resonant low-pass: four one-pole stages with inverted feedback and
// a cubic soft clipper, in double precision. Non-finite states restart it
// from silence.
class LadderFilter {
public:
    static constexpr double lowestCutoff = 50.0;  // Hz

    LadderFilter();
    // Cutoff in Hz (raised to 50 Hz when lower) and resonance; recomputes the
    // coefficients.
    void set(double cutoffHz, double resonance);
    float process(double input);
    void reset();

    double currentCutoff() const { return cutoff; }
    double resonance() const { return res; }
    double feedbackGain() const { return r; }
    double stageCoefficient() const { return p; }
    double poleCoefficient() const { return k; }
    double lastStage() const { return y4; }
    double previousInput() const { return oldX; }

private:
    void computeCoefficients();
    void clearState();

    double cutoff = 440.0;
    double res = 0.9;
    double sampleRate = 44100.0;  // the engine's assumed rate
    double y1 = 0.0, y2 = 0.0, y3 = 0.0, y4 = 0.0;
    double oldX = 0.0, oldY1 = 0.0, oldY2 = 0.0, oldY3 = 0.0;
    double x = 0.0, r = 0.0, p = 0.0, k = 0.0;
};
