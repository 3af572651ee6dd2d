#pragma once
#include "audio/LandingThud.h"
#include "audio/MarkFanfare.h"
#include "audio/PressCue.h"
#include "audio/SpscQueue.h"
#include "audio/StereoFrame.h"
#include "audio/WallKickChirp.h"

#include <cstdint>

// The game's sound effects: a wall kick, a landing, crossing the mark, and
// the quiet cues of a press that did not kick as meant. The
// game thread asks for them; the audio thread takes the requests at the
// start of each buffer and mixes the sounds in from its first frame. They
// belong to no voice group and no sequencer track, so they sound with the
// music off.
class SoundEffects {
public:
    // Requests between two buffers; catch-up steps after a stall ask for a
    // few at once, and a full queue drops the newest.
    static constexpr int pendingCapacity = 32;

    // Before the stream starts: every time constant follows the rate.
    void setSampleRate(SampleRate rate);

    // Game thread. Speeds in cells per frame.
    void playWallKick(float flightSpeed) { pending.push({Kind::wallKick, flightSpeed}); }
    void playLanding(float fallSpeed) { pending.push({Kind::landing, fallSpeed}); }
    void playMark() { pending.push({Kind::mark, 0.0f}); }
    void playPressCue(PressCue::Kind cueKind)
    {
        pending.push({cueKind == PressCue::Kind::fallingKick ? Kind::fallingKick : Kind::wastedPress, 0.0f});
    }

    // Audio thread: takes the requests and adds every sounding effect to
    // `out`. The mark's chord comes from the music's 8-entry pitch table.
    void render(StereoFrame* out, int frames, const float* pitchTable);
    bool isActive() const { return chirp.isActive() || thud.isActive() || fanfare.isActive() || cue.isActive(); }

private:
    enum class Kind : uint8_t { wallKick, landing, mark, wastedPress, fallingKick };
    struct Request {
        Kind kind;
        float speed;
    };

    WallKickChirp chirp;
    LandingThud thud;
    MarkFanfare fanfare;
    PressCue cue;
    SpscQueue<Request, pendingCapacity> pending;
};
