#pragma once
#include "audio/AudioSingleton.h"

// The play screen's music, as the game writes it: a bass line once, then at
// every loop start the next pad note and, while the pilot is fast, a fresh
// random melody.
class LoopMusic : public AudioSingleton::Callback {
public:
    static constexpr float melodySpeed = 0.5f;  // cells per frame

    LoopMusic(AudioSingleton& engine, float pilotSpeed);
    void onLoopStart() override;
    void setPilotSpeed(float speed) { pilotSpeed = speed; }

private:
    AudioSingleton& engine;
    float pilotSpeed;
    int loopCount = -2;  // the first loop start leaves the pad alone
};
