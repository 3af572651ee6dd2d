#pragma once
#include "audio/SampleRate.h"
#include "audio/StereoFrame.h"
#include "audio/StrikeEnvelope.h"
#include "audio/TwoPi.h"

#include <cmath>

// A struck sound effect: a body that makes one mono sample per frame, under a
// StrikeEnvelope that a new strike raises from where it stands. An effect
// derives from StruckSound<its body>, sets the body up and calls strike in
// its trigger, and says nothing else. The body is plain data with
// `float next(float amplitude)`: render copies it into a local for the
// buffer's loop and back once, so the loop runs on registers. Each effect's
// .cpp instantiates render beside its body's next, where it inlines.
template <class Body>
class StruckSound {
public:
    explicit StruckSound(SampleRate sampleRate = SampleRate()) : rate(sampleRate) {}
    void setSampleRate(SampleRate sampleRate) { rate = sampleRate; }

    // Adds the sound to frames [0, frames) of `out`.
    void render(StereoFrame* out, int frames);
    bool isActive() const { return active; }

protected:
    // The times are in seconds, the decay a time constant (1/e).
    void strike(float peak, float attackSeconds, float decaySeconds)
    {
        envelope.start(peak, attackSeconds, decaySeconds, rate);
        active = true;
    }

    SampleRate rate;
    Body body;

private:
    bool active = false;
    StrikeEnvelope envelope;
};

template <class Body>
void StruckSound<Body>::render(StereoFrame* out, int frames)
{
    if (!active)
        return;
    Body b = body;
    active = runStrike(envelope, out, frames, [&b](float amplitude) { return b.next(amplitude); });
    body = b;
}

// A sine's phase whose step per frame glides by a constant factor for a
// number of frames, then holds: the tone of the press cues and the kick.
struct GlidingPhase {
    float phase = 0.0f;   // cycles, 0..1
    float step = 0.0f;    // cycles per frame
    float factor = 1.0f;  // on step per frame while gliding
    int glideFrames = 0;  // frames of glide left

    // The phase runs on; the step jumps to `stepPerFrame` and reaches
    // `ratio` times it after `frames` frames.
    void start(float stepPerFrame, float ratio, int frames)
    {
        step = stepPerFrame;
        glideFrames = frames;
        factor = std::pow(ratio, 1.0f / static_cast<float>(frames));
    }
    float sine() const { return std::sin(twoPi * phase); }
    // After each frame.
    void advance()
    {
        phase += step;
        if (phase >= 1.0f)
            phase -= 1.0f;
        if (glideFrames > 0) {
            step *= factor;
            --glideFrames;
        }
    }
};
