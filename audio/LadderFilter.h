#pragma once
#include "audio/LaneVector.h"
#include "audio/SampleRate.h"

class VoiceLanes;

// Four-pole resonant low-pass: four one-pole stages with inverted feedback and
// a cubic soft clipper, in double precision. Non-finite states restart it
// from silence. The voices run the same arithmetic in single precision,
// eight filters side by side (VoiceLanes), and keep the memories here
// between buffers.
class LadderFilter {
public:
    static constexpr double lowestCutoff = 50.0;  // Hz

    LadderFilter();
    // Cutoff in Hz (raised to 50 Hz when lower) and resonance; recomputes the
    // coefficients.
    void set(double cutoffHz, double resonance);
    float process(double input);
    void reset();
    // Recomputes the coefficients for the same cutoff in Hz at another rate.
    void setSampleRate(SampleRate framesPerSecond);

    double currentCutoff() const { return cutoff; }
    double resonance() const { return res; }
    double feedbackGain() const { return r; }
    double stageCoefficient() const { return p; }
    double poleCoefficient() const { return k; }
    double lastStage() const { return y4; }
    double previousInput() const { return oldX; }
    // Reference rate / engine rate: how much shorter a frame is than the
    // frames the filter was tuned at.
    double rateWarp() const { return warp; }

    // The memories of the four stages.
    template <class Real>
    struct Stages {
        Real y1, y2, y3, y4;
        Real oldX, oldY1, oldY2, oldY3;
    };

    // The arithmetic, written once for one filter (Real = double) and for a
    // lane vector of filters (LaneFloat); constants are taken in the lanes'
    // own precision. The tuning is the one found at the reference rate; at
    // any other rate (`warp` = rateWarp(), in the same precision, applied
    // only when `warped`) each stage keeps the analogue one-pole it stands
    // for, so a patch sounds the same.
    template <class Real>
    __attribute__((always_inline)) static void coefficients(Real cutoffHz, Real resonance, LaneElement<Real> warp,
                                                            bool warped, Real& p, Real& k, Real& r)
    {
        using E = LaneElement<Real>;
        const Real f = cutoffHz * static_cast<E>(2.0 / SampleRate::reference);
        p = (static_cast<E>(1.8) - static_cast<E>(0.8) * f) * f;
        // The feedback is tuned to the stages at the reference rate; retuned
        // to the faster stages it rang less (over 1 LU quieter at 96000 Hz).
        const Real t = (static_cast<E>(1.0) - p) * static_cast<E>(tuningScale);
        // A rational approximation of res * e^t.
        const Real t2 = t * t;
        const Real even = t2 + static_cast<E>(12.0);
        const Real odd = static_cast<E>(6.0) * t;
        r = resonance * (even + odd) / (even - odd);
        if (warped) {
            // A stage y += p (in + oldIn - 2y) is the bilinear image of an
            // analogue pole at 2 g / T with g = p / (1 - p); T shrinks by warp.
            const Real g = p / (static_cast<E>(1.0) - p) * warp;
            p = g / (static_cast<E>(1.0) + g);
        }
        k = static_cast<E>(2.0) * p - static_cast<E>(1.0);
    }

    // One sample; x receives the input after feedback. A non-finite value
    // anywhere in the chain restarts that filter from silence (all memories
    // and x zero, output zero) rather than letting an infinity or NaN ring on.
    template <class Real>
    __attribute__((always_inline)) static Real step(Real input, Real p, Real r, Stages<Real>& s, Real& x)
    {
        using E = LaneElement<Real>;
        // Each stage is p*in + p*oldIn - k*y with k = 2p - 1, written as a
        // correction of its own output: y + p*(oldIn - 2y) + p*in. The same
        // value, but p keeps all its digits where 2p - 1 would round them
        // away at low cutoffs, which is what makes single precision enough.
        // All but the last product are known before the new input arrives,
        // so the chain from one sample's output to the next is four multiply
        // and adds and the clipper; the feedback enters the first stage as
        // (p*r)*y4 for the same reason.
        x = input - r * s.y4;
        const Real a1 = (s.y1 + p * (s.oldX - (s.y1 + s.y1))) + p * input;
        const Real a2 = s.y2 + p * (s.oldY1 - (s.y2 + s.y2));
        const Real a3 = s.y3 + p * (s.oldY2 - (s.y3 + s.y3));
        const Real a4 = s.y4 + p * (s.oldY3 - (s.y4 + s.y4));
        s.y1 = a1 - (p * r) * s.y4;
        s.y2 = a2 + p * s.y1;
        s.y3 = a3 + p * s.y2;
        Real y = a4 + p * s.y3;
        // Soft clip y - y^3 / 6.
        y = y - y * y * (y * static_cast<E>(1.0 / 6.0));
        // An infinity or NaN at any stage reaches y (every stage feeds the
        // next with a non-zero weight, and the clipper overflows on a huge
        // y); zero times a finite value is zero, times anything else NaN.
        const auto finite = y * static_cast<E>(0.0) == static_cast<E>(0.0);
        if (!allLanes(finite)) {
            const Real zero{};
            x = pick(finite, x, zero);
            y = pick(finite, y, zero);
            s.y1 = pick(finite, s.y1, zero);
            s.y2 = pick(finite, s.y2, zero);
            s.y3 = pick(finite, s.y3, zero);
        }
        s.oldX = x;
        s.oldY1 = s.y1;
        s.oldY2 = s.y2;
        s.oldY3 = s.y3;
        s.y4 = y;
        return y;
    }

private:
    friend class VoiceLanes;
    static constexpr double tuningScale = 1.386249;  // maps 1 - p onto the resonance exponent

    void clearState();

    double cutoff = 440.0;
    double res = 0.9;
    double warp = 1.0;
    double y1 = 0.0, y2 = 0.0, y3 = 0.0, y4 = 0.0;
    double oldX = 0.0, oldY1 = 0.0, oldY2 = 0.0, oldY3 = 0.0;
    double x = 0.0, r = 0.0, p = 0.0, k = 0.0;
};
