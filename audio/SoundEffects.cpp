#include "audio/SoundEffects.h"

void SoundEffects::setSampleRate(SampleRate rate)
{
    chirp.setSampleRate(rate);
    thud.setSampleRate(rate);
    fanfare.setSampleRate(rate);
    cue.setSampleRate(rate);
}

void SoundEffects::render(StereoFrame* out, int frames, const float* pitchTable)
{
    Request request{Kind::wallKick, 0.0f};
    while (pending.pop(request)) {
        switch (request.kind) {
        case Kind::wallKick: chirp.trigger(request.speed); break;
        case Kind::landing: thud.trigger(request.speed); break;
        case Kind::mark: fanfare.trigger(pitchTable); break;
        case Kind::wastedPress: cue.trigger(PressCue::Kind::wastedPress); break;
        case Kind::fallingKick: cue.trigger(PressCue::Kind::fallingKick); break;
        }
    }
    chirp.render(out, frames);
    thud.render(out, frames);
    fanfare.render(out, frames);
    cue.render(out, frames);
}
