#include "audio/PortAudioDevice.h"

#include "audio/BoundedWait.h"
#include "audio/HostApiChoice.h"
#include "audio/QuietAudioLibraries.h"
#include "audio/SampleRate.h"

#include <portaudio.h>
#include <pthread.h>
#include <sched.h>

#include <algorithm>
#include <cstring>
#include <atomic>
#include <iostream>
#include <memory>
#include <mutex>
#include <string>

namespace {

constexpr double fallbackRate = 48000.0;  // Hz, tried when 44100 Hz is refused
// Seconds of output latency asked for. A key takes up to one 15 ms step to
// reach the engine, so this keeps a key's sound within 60 ms of the press.
constexpr double outputLatencyBudget = 0.045;
// SCHED_FIFO priority the audio thread asks for on a sound card of its own:
// above every ordinary process, so that busy programs cannot starve the
// stream, and below the sound servers' own threads.
constexpr int realtimePriority = 4;

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
// a few a second. The budget is asked for instead, or the device's low
// latency where even that is longer.
double outputLatency(PaDeviceIndex device)
{
    const PaDeviceInfo* info = device == paNoDevice ? nullptr : Pa_GetDeviceInfo(device);
    return info ? std::max(info->defaultLowOutputLatency, outputLatencyBudget) : 0.0;
}

double inputLatency(PaDeviceIndex device)
{
    const PaDeviceInfo* info = device == paNoDevice ? nullptr : Pa_GetDeviceInfo(device);
    return info ? info->defaultHighInputLatency : 0.0;
}

std::atomic<int> underflows{0};
// Whether the audio thread should ask for real-time scheduling, and whether
// this thread has asked already (PortAudio makes a thread per stream).
std::atomic<bool> realtimeWanted{false};
thread_local bool schedulingAsked = false;

// Refused where the system does not allow it; the stream then plays on at
// normal priority, which is no fault worth a line.
void askForRealtime()
{
    sched_param parameters{};
    parameters.sched_priority = realtimePriority;
    pthread_setschedparam(pthread_self(), SCHED_FIFO, &parameters);
}

int forwardBuffer(const void* input, void* output, unsigned long frames, const PaStreamCallbackTimeInfo* timeInfo,
                  PaStreamCallbackFlags statusFlags, void* userData)
{
    return PortAudioDevice::streamCallback(input, output, frames, timeInfo, statusFlags, userData);
}

struct StreamRequest {
    int hostApi;
    std::string hostApiName;
    int inputChannels;
    int outputChannels;
    double sampleRate;
    double latencyOverride;
    PortAudioCallback* callback;
};

struct OpenedStream {
    PaStream* stream = nullptr; // running; null when none could be started
    int hostApiType = -1;
    double sampleRate = 0.0;    // Hz: the stream's, else the last one tried
    double outputLatency = 0.0; // seconds, as the host API reports it
    int underflowsAtOpen = 0;
};

// Starts PortAudio and a stream as asked, saying what goes wrong. PortAudio
// is left terminated unless a stream runs.
OpenedStream openStream(const StreamRequest& request)
{
    OpenedStream opened;
    opened.sampleRate = request.sampleRate;
    quietAudioLibraries();
    if (Pa_Initialize() != paNoError) {
        std::cout << "PortAudioDevice Error: Could not initialise." << std::endl;
        return opened;
    }

    const HostApiChoice choice = chooseHostApi(request.hostApi, request.hostApiName,
                                               request.hostApiName.empty() || request.hostApiName == builtInHostApi,
                                               offeredHostApis(), Pa_GetDefaultHostApi());
    if (!choice.message.empty())
        std::cout << choice.message << std::endl;
    const PaHostApiInfo* apiInfo = choice.index >= 0 ? Pa_GetHostApiInfo(choice.index) : nullptr;
    opened.hostApiType = apiInfo ? apiInfo->type : -1;
    const PaDeviceIndex inputDevice = apiInfo ? apiInfo->defaultInputDevice : paNoDevice;
    const PaDeviceIndex outputDevice = apiInfo ? apiInfo->defaultOutputDevice : paNoDevice;

    PaStreamParameters inputParameters{};
    inputParameters.device = inputDevice;
    inputParameters.channelCount = request.inputChannels;
    inputParameters.sampleFormat = paFloat32;
    inputParameters.suggestedLatency = inputLatency(inputDevice);
    inputParameters.hostApiSpecificStreamInfo = nullptr;
    PaStreamParameters outputParameters{};
    outputParameters.device = outputDevice;
    outputParameters.channelCount = request.outputChannels;
    outputParameters.sampleFormat = paFloat32;
    outputParameters.suggestedLatency =
        request.latencyOverride >= 0.0 ? request.latencyOverride : outputLatency(outputDevice);
    outputParameters.hostApiSpecificStreamInfo = nullptr;

    double rate = request.sampleRate;
    const auto refused = [&](double tried) {
        return Pa_IsFormatSupported(nullptr, &outputParameters, tried) == paInvalidSampleRate;
    };
    // A server may run at one rate only (JACK at 96000 Hz, say); the engine
    // renders at any rate it accepts, so the device's own is the last try.
    const PaDeviceInfo* outputInfo = outputDevice == paNoDevice ? nullptr : Pa_GetDeviceInfo(outputDevice);
    const double ownRate = outputInfo ? outputInfo->defaultSampleRate : 0.0;
    bool ownRateTried = false;
    const auto tryOwnRate = [&] {
        if (ownRateTried || !SampleRate::accepts(ownRate) || ownRate == rate)
            return false;
        ownRateTried = true;
        std::cout << "PortAudioDevice: opening at the device's own rate, " << ownRate << "Hz." << std::endl;
        rate = ownRate;
        return true;
    };
    if (outputDevice != paNoDevice && refused(rate)) {
        std::cout << "44100Hz samplerate not supported, using 48000Hz." << std::endl;
        rate = fallbackRate;
        if (refused(rate)) {
            std::cout << "48000Hz not supported either?" << std::endl;
            tryOwnRate();
        }
    }

    PaStream* stream = nullptr;
    const auto openAtRate = [&] {
        opened.sampleRate = rate;
        return Pa_OpenStream(&stream, request.inputChannels > 0 ? &inputParameters : nullptr,
                             request.outputChannels > 0 ? &outputParameters : nullptr, rate,
                             paFramesPerBufferUnspecified, paNoFlag, &forwardBuffer, request.callback);
    };
    PaError openResult = openAtRate();
    if (openResult == paInvalidSampleRate && tryOwnRate())
        openResult = openAtRate();
    if (openResult != paNoError) {
        std::cout << "PortAudioDevice Error: Could not open stream." << std::endl;
        Pa_Terminate();
        return opened;
    }
    // A host API may run the stream at another rate than the one asked for
    // (JACK runs at its server's); what it reports is what the engine renders at.
    if (const PaStreamInfo* info = Pa_GetStreamInfo(stream); info != nullptr) {
        if (info->sampleRate > 0.0)
            opened.sampleRate = info->sampleRate;
        opened.outputLatency = info->outputLatency;
    }
    if (request.callback != nullptr)
        request.callback->prepare(opened.sampleRate);
    realtimeWanted.store(PortAudioDevice::wantsRealtime(opened.hostApiType, outputInfo ? outputInfo->name : nullptr),
                         std::memory_order_relaxed);
    opened.underflowsAtOpen = PortAudioDevice::underflowCount();
    if (Pa_StartStream(stream) != paNoError) {
        std::cout << "PortAudioDevice Error: Could not start stream." << std::endl;
        Pa_CloseStream(stream);
        Pa_Terminate();
        return opened;
    }
    opened.stream = stream;
    return opened;
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
    struct Offers {
        std::mutex lock;
        std::vector<HostApiOffer> offers;
    };
    auto shared = std::make_shared<Offers>();
    // The help waits no longer for a silent sound server than the game does.
    finishesWithin(openWaitMilliseconds, [shared] {
        quietAudioLibraries();
        if (Pa_Initialize() != paNoError)
            return;
        std::vector<HostApiOffer> offers = offeredHostApis();
        Pa_Terminate();
        const std::lock_guard<std::mutex> hold(shared->lock);
        shared->offers = std::move(offers);
    });
    const std::lock_guard<std::mutex> hold(shared->lock);
    std::vector<std::string> names;
    for (const HostApiName& entry : hostApiNames)
        for (const HostApiOffer& offer : shared->offers)
            if (offer.type == entry.type) {
                names.emplace_back(entry.name);
                break;
            }
    return names;
}

bool PortAudioDevice::wantsRealtime(int hostApiType, const char* deviceName)
{
    return hostApiType == alsaApi && deviceName != nullptr && std::strstr(deviceName, "(hw:") != nullptr;
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
    if (!schedulingAsked) {
        schedulingAsked = true;
        if (realtimeWanted.load(std::memory_order_relaxed))
            askForRealtime();
    }
    if (userData)
        static_cast<PortAudioCallback*>(userData)->process(input, output, static_cast<uint32_t>(frames));
    return paContinue;
}

bool PortAudioDevice::open()
{
    if (started || leftBehind)
        return false;
    const StreamRequest request{hostApi, hostApiName, inputChannels, outputChannels, sampleRate, latencyOverride, callback};
    struct Attempt {
        std::mutex lock;
        bool abandoned = false;
        bool finished = false;
        OpenedStream result;
    };
    auto attempt = std::make_shared<Attempt>();
    finishesWithin(openWaitMilliseconds, [attempt, request] {
        OpenedStream result = openStream(request);
        bool abandoned;
        {
            const std::lock_guard<std::mutex> hold(attempt->lock);
            abandoned = attempt->abandoned;
            attempt->result = result;
            attempt->finished = true;
        }
        // Nobody waits for a stream that came too late: it goes at once.
        if (abandoned && result.stream != nullptr) {
            Pa_AbortStream(result.stream);
            Pa_CloseStream(result.stream);
            Pa_Terminate();
        }
    });
    const std::lock_guard<std::mutex> hold(attempt->lock);
    if (!attempt->finished) {
        attempt->abandoned = true;
        leftBehind = true;
        std::cout << "PortAudioDevice: the sound system did not answer within " << openWaitMilliseconds
                  << " ms; playing without sound." << std::endl;
        return false;
    }
    const OpenedStream& result = attempt->result;
    openedHostApi = result.hostApiType;
    sampleRate = result.sampleRate;
    outputLatency = result.outputLatency;
    if (result.stream == nullptr)
        return false;
    stream = result.stream;
    underflowsAtOpen = result.underflowsAtOpen;
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
    // Aborting drops what is queued instead of playing it out.
    const bool closed = finishesWithin(closeWaitMilliseconds, [closing] {
        Pa_AbortStream(closing);
        Pa_CloseStream(closing);
        Pa_Terminate();
    });
    if (!closed) {
        leftBehind = true;
        std::cout << "PortAudioDevice: the sound system did not stop within " << closeWaitMilliseconds
                  << " ms; leaving it behind." << std::endl;
        return false;
    }
    // Counted from the start of this stream: earlier streams of the process
    // reported theirs when they closed.
    const std::string report = underflowReport(underflowCount() - underflowsAtOpen);
    if (!report.empty())
        std::cout << report << std::endl;
    return true;
}
