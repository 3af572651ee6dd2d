#include "audio/AudioSingleton.h"

AudioSingleton& AudioSingleton::instance()
{
    static AudioSingleton engine(FilePath::executableDirectory());
    return engine;
}

AudioSingleton::AudioSingleton(const FilePath&) {}
AudioSingleton::~AudioSingleton() = default;

void AudioSingleton::render(float*, int) {}
void AudioSingleton::toggleStep(int, int, int) {}
void AudioSingleton::clearSteps() {}
void AudioSingleton::restartSequence() {}
void AudioSingleton::setLoopListener(Callback*) {}
void AudioSingleton::playBoom() {}
void AudioSingleton::setMusicEnabled(bool) {}
void AudioSingleton::onStep(int, int) {}
