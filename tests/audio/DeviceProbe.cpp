// Opens the game's audio output through a real sound server and plays the
// impact sound, as the game does; with --nosound it never opens the device.
// Prints what it saw; the recorded sink output is checked by a script.
#include "audio/AudioSingleton.h"
#include "audio/PortAudioDevice.h"

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>
#include <thread>

namespace {

class EngineFeed : public PortAudioCallback {
public:
    void process(const void*, void* output, uint32_t frames) override
    {
        float* out = static_cast<float*>(output);
        const int count = static_cast<int>(frames);
        for (int i = 0; i < 2 * count; ++i)
            out[i] = 0.0f;
        AudioSingleton::instance().render(out, count);
    }
};

} // namespace

int main(int argc, char** argv)
{
    bool sound = true;
    std::string api = "DirectSound";
    double seconds = 3.0;
    double latency = -1.0;
    for (int i = 1; i < argc; ++i) {
        const std::string word = argv[i];
        if (word == "--nosound")
            sound = false;
        else if (word == "--api" && i + 1 < argc)
            api = argv[++i];
        else if (word == "--seconds" && i + 1 < argc)
            seconds = std::atof(argv[++i]);
        else if (word == "--latency" && i + 1 < argc)
            latency = std::atof(argv[++i]);
    }
    EngineFeed feed;
    PortAudioDevice device;
    device.setCallback(&feed);
    device.setChannels(0, 2);
    device.setSampleRate(44100.0);
    device.setHostApi(api);
    if (latency >= 0.0)
        device.setSuggestedLatency(latency);
    AudioSingleton& engine = AudioSingleton::instance();
    bool opened = false;
    if (sound) {
        opened = device.open();
        std::cout << "open: " << (opened ? "yes" : "no") << std::endl;
        if (opened)
            std::cout << "second open: " << (device.open() ? "yes" : "no") << std::endl;
    }
    engine.playBoom();
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
    std::cout << "underflows: " << PortAudioDevice::underflowCount() << std::endl;
    // As the game does: a stream PortAudio could not close in time is left
    // to its thread, and nothing that thread may use is torn down.
    const int status = sound && !opened ? 1 : 0;
    if (!device.close()) {
        std::cout.flush();
        std::_Exit(status);
    }
    device.close();
    return status;
}
