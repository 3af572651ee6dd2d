#include "audio/PortAudioDevice.h"

#include "audio/HostApiChoice.h"
#include "audio/QuietAudioLibraries.h"

#include <portaudio.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>
#include <iostream>
#include <string>

namespace {

constexpr double fallbackRate = 48000.0;  // Hz, tried when 44100 Hz is refused

struct HostApiName {
    const char* name;
    int type;
};

// Tried in this order; any other name selects DirectSound.
constexpr HostApiName hostApiNames[] = {
    {"DirectSound", PortAudioDevice::directSoundApi},
    {"ASIO", PortAudioDevice::asioApi},
    {"MME", PortAudioDevice::mmeApi},
    {"ALSA", PortAudioDevice::alsaApi},
    {"JACK", PortAudioDevice::jackApi},
    {"OSS", PortAudioDevice::ossApi},
    {"CoreAudio", PortAudioDevice::coreAudioApi},
};

// The built-in default names an API of another system; asking for it, or for
// nothing, is no wish of the player's.
constexpr const char* builtInHostApi = "DirectSound";

std::vector<HostApiOffer> offeredHostApis()
{
    std::vector<HostApiOffer> offers;
    const PaHostApiIndex count = Pa_GetHostApiCount();
    for (PaHostApiIndex i = 0; i < count; ++i) {
        const PaHostApiInfo* info = Pa_GetHostApiInfo(i);
        offers.push_back(info ? HostApiOffer{info->type, info->name ? info->name : ""} : HostApiOffer{-1, ""});
    }
    return offers;
}

// A suggested latency of 0 lets ALSA choose periods so short that the stream
// underruns through a sound server (about 30 underflows a second measured
// through PulseAudio); the device's low latency (8.7 ms there) still drops
// a few a second, its high latency (35 ms) next to none.
double outputLatency(PaDeviceIndex device)
{
    const PaDeviceInfo* info = device == paNoDevice ? nullptr : Pa_GetDeviceInfo(device);
    return info ? info->defaultHighOutputLatency : 0.0;
}

double inputLatency(PaDeviceIndex device)
{
    const PaDeviceInfo* info = device == paNoDevice ? nullptr : Pa_GetDeviceInfo(device);
    return info ? info->defaultHighInputLatency : 0.0;
}

std::atomic<int> underflows{0};

int forwardBuffer(const void* input, void* output, unsigned long frames, const PaStreamCallbackTimeInfo* timeInfo,
                  PaStreamCallbackFlags statusFlags, void* userData)
{
    return PortAudioDevice::streamCallback(input, output, frames, timeInfo, statusFlags, userData);
}

} // namespace

PortAudioDevice::~PortAudioDevice()
{
    if (started)
        close();
}

void PortAudioDevice::setHostApi(const std::string& name)
{
    hostApiName = name;
    for (const HostApiName& entry : hostApiNames) {
        if (name == entry.name) {
            hostApi = entry.type;
            return;
        }
    }
    hostApi = directSoundApi;
}

std::vector<std::string> PortAudioDevice::offeredHostApiNames()
{
    quietAudioLibraries();
    if (Pa_Initialize() != paNoError)
        return {};
    const std::vector<HostApiOffer> offers = offeredHostApis();
    Pa_Terminate();
    std::vector<std::string> names;
    for (const HostApiName& entry : hostApiNames)
        for (const HostApiOffer& offer : offers)
            if (offer.type == entry.type) {
                names.emplace_back(entry.name);
                break;
            }
    return names;
}

int PortAudioDevice::underflowCount()
{
    return underflows.load(std::memory_order_relaxed);
}

std::string PortAudioDevice::underflowReport(int count)
{
    if (count <= 0)
        return {};
    return "PortAudioDevice: " + std::to_string(count) + (count == 1 ? " output underflow." : " output underflows.");
}

int PortAudioDevice::streamCallback(const void* input, void* output, unsigned long frames, const void*,
                                    unsigned long statusFlags, void* userData)
{
    if (statusFlags & paOutputUnderflow)
        underflows.fetch_add(1, std::memory_order_relaxed);
    if (userData)
        static_cast<PortAudioCallback*>(userData)->process(input, output, static_cast<uint32_t>(frames));
    return paContinue;
}

bool PortAudioDevice::open()
{
    if (started)
        return false;
    quietAudioLibraries();
    if (Pa_Initialize() != paNoError) {
        std::cout << "PortAudioDevice Error: Could not initialise." << std::endl;
        return false;
    }

    const HostApiChoice choice =
        chooseHostApi(hostApi, hostApiName, hostApiName.empty() || hostApiName == builtInHostApi, offeredHostApis(),
                      Pa_GetDefaultHostApi());
    if (!choice.message.empty())
        std::cout << choice.message << std::endl;
    const PaHostApiInfo* apiInfo = choice.index >= 0 ? Pa_GetHostApiInfo(choice.index) : nullptr;
    openedHostApi = apiInfo ? apiInfo->type : -1;
    const PaDeviceIndex inputDevice = apiInfo ? apiInfo->defaultInputDevice : paNoDevice;
    const PaDeviceIndex outputDevice = apiInfo ? apiInfo->defaultOutputDevice : paNoDevice;

    PaStreamParameters inputParameters{};
    inputParameters.device = inputDevice;
    inputParameters.channelCount = inputChannels;
    inputParameters.sampleFormat = paFloat32;
    inputParameters.suggestedLatency = inputLatency(inputDevice);
    inputParameters.hostApiSpecificStreamInfo = nullptr;
    PaStreamParameters outputParameters{};
    outputParameters.device = outputDevice;
    outputParameters.channelCount = outputChannels;
    outputParameters.sampleFormat = paFloat32;
    outputParameters.suggestedLatency = latencyOverride >= 0.0 ? latencyOverride : outputLatency(outputDevice);
    outputParameters.hostApiSpecificStreamInfo = nullptr;

    if (outputDevice != paNoDevice &&
        Pa_IsFormatSupported(nullptr, &outputParameters, sampleRate) == paInvalidSampleRate) {
        std::cout << "44100Hz samplerate not supported, using 48000Hz." << std::endl;
        sampleRate = fallbackRate;
        if (Pa_IsFormatSupported(nullptr, &outputParameters, sampleRate) == paInvalidSampleRate)
            std::cout << "48000Hz not supported either?" << std::endl;
    }

    PaStream* opened = nullptr;
    const PaError openResult =
        Pa_OpenStream(&opened, inputChannels > 0 ? &inputParameters : nullptr,
                      outputChannels > 0 ? &outputParameters : nullptr, sampleRate, paFramesPerBufferUnspecified,
                      paNoFlag, &forwardBuffer, callback);
    if (openResult != paNoError) {
        std::cout << "PortAudioDevice Error: Could not open stream." << std::endl;
        Pa_Terminate();
        return false;
    }
    stream = opened;
    // A host API may run the stream at another rate than the one asked for
    // (JACK runs at its server's); what it reports is what the engine renders at.
    const PaStreamInfo* info = Pa_GetStreamInfo(opened);
    if (info != nullptr && info->sampleRate > 0.0)
        sampleRate = info->sampleRate;
    if (callback != nullptr)
        callback->prepare(sampleRate);
    underflowsAtOpen = underflowCount();
    if (Pa_StartStream(opened) != paNoError) {
        std::cout << "PortAudioDevice Error: Could not start stream." << std::endl;
        Pa_CloseStream(opened);
        stream = nullptr;
        Pa_Terminate();
        return false;
    }
    started = true;
    return true;
}

bool PortAudioDevice::close()
{
    if (!started)
        return true;
    started = false;
    PaStream* const closing = static_cast<PaStream*>(stream);
    stream = nullptr;
    // Aborting drops what is queued instead of playing it out; the waiting
    // happens on a thread of its own, which a frozen server may keep.
    struct Closing {
        std::mutex lock;
        std::condition_variable doneChanged;
        bool done = false;
    };
    auto shared = std::make_shared<Closing>();
    std::thread closer([closing, shared] {
        Pa_AbortStream(closing);
        Pa_CloseStream(closing);
        Pa_Terminate();
        const std::lock_guard<std::mutex> hold(shared->lock);
        shared->done = true;
        shared->doneChanged.notify_all();
    });
    bool closed;
    {
        std::unique_lock<std::mutex> hold(shared->lock);
        closed = shared->doneChanged.wait_for(hold, std::chrono::milliseconds(closeWaitMilliseconds),
                                              [&] { return shared->done; });
    }
    if (!closed) {
        closer.detach();
        std::cout << "PortAudioDevice: the sound system did not stop within " << closeWaitMilliseconds
                  << " ms; leaving it behind." << std::endl;
        return false;
    }
    closer.join();
    // Counted from the start of this stream: earlier streams of the process
    // reported theirs when they closed.
    const std::string report = underflowReport(underflowCount() - underflowsAtOpen);
    if (!report.empty())
        std::cout << report << std::endl;
    return true;
}
