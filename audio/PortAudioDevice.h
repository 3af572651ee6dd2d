#pragma once
#include "audio/PortAudioCallback.h"

#include <string>
#include <vector>

// The game's one PortAudio output stream. It only negotiates the format and
// forwards every buffer request to a PortAudioCallback on the audio thread.
class PortAudioDevice {
public:
    // PortAudio host API type ids, by the names the command line accepts.
    static constexpr int directSoundApi = 1;
    static constexpr int mmeApi = 2;
    static constexpr int asioApi = 3;
    static constexpr int coreAudioApi = 5;
    static constexpr int ossApi = 7;
    static constexpr int alsaApi = 8;
    static constexpr int jackApi = 12;

    PortAudioDevice() = default;
    ~PortAudioDevice();
    PortAudioDevice(const PortAudioDevice&) = delete;
    PortAudioDevice& operator=(const PortAudioDevice&) = delete;

    void setCallback(PortAudioCallback* receiver) { callback = receiver; }
    void setChannels(int input, int output)
    {
        inputChannels = input;
        outputChannels = output;
    }
    void setSampleRate(double rate) { sampleRate = rate; }
    // Unknown names choose DirectSound. Where the chosen API does not exist
    // the stream opens on PortAudio's default: quietly for an empty name or
    // the built-in "DirectSound", with one line for any other name.
    void setHostApi(const std::string& name);
    // The names setHostApi knows whose host API this PortAudio offers here,
    // in setHostApi's order; empty when PortAudio cannot start, or does not
    // within openWait.
    static std::vector<std::string> offeredHostApiNames();

    // Initialises PortAudio and starts the stream; true only when it runs.
    // A sound server that stopped answering holds PortAudio's start for
    // ever, so open waits at most openWait: false (with one line) when
    // PortAudio was still busy then; the attempt is left to a thread of its
    // own, which ends any stream it starts that late. The process must then
    // end as after a close that was left behind.
    bool open();
    // Long enough for PortAudio to probe every host API on a loaded machine.
    static constexpr int openWaitMilliseconds = 4000;
    // Aborts and closes the stream and terminates PortAudio, once. A sound
    // server that has stopped answering can hold PortAudio for ever, so
    // close waits at most closeWait: false (with one line) when PortAudio
    // was still busy then. The stream is left to a thread of its own, and
    // the process must end without tearing down what the audio thread uses
    // (std::_Exit), since that thread may wake at any time.
    bool close();
    static constexpr int closeWaitMilliseconds = 700;
    // True once open or close gave up waiting for PortAudio: a thread may
    // still be inside it, and the process must end with std::_Exit.
    bool isLeftBehind() const { return leftBehind; }

    // Seconds of output latency to ask for; negative (the default) asks for
    // 45 ms, or the device's low latency where that is longer. For
    // measuring dropouts.
    void setSuggestedLatency(double seconds) { latencyOverride = seconds; }
    // Output underflows PortAudio has reported to any stream of the process.
    static int underflowCount();
    // Whether the audio thread asks for real-time scheduling (SCHED_FIFO, on
    // its first callback; refused quietly where the system does not allow
    // it): only on an ALSA sound card of its own ("(hw:" in PortAudio's
    // name). Through a sound server (ALSA's "default" or "pulse") the
    // server's own thread in the process carries the sound, and an audio
    // thread above it only took time from it: more dropouts, measured.
    static bool wantsRealtime(int hostApiType, const char* deviceName);
    // The line close() prints when its stream dropped buffers, so that a
    // player or a soak run can tell; empty when none were dropped.
    static std::string underflowReport(int count);

    int hostApiType() const { return hostApi; }
    // Type id of the host API the last open() chose; -1 before, or when none.
    int openedHostApiType() const { return openedHostApi; }
    // The rate asked for before open(); after it, the rate the stream
    // really opened with, as PortAudio reports it.
    double currentSampleRate() const { return sampleRate; }
    // Seconds between a buffer leaving the callback and its sound, as the
    // host API reported it for the open stream; 0 without one.
    double outputLatencySeconds() const { return outputLatency; }
    bool isStarted() const { return started; }
    int inputChannelCount() const { return inputChannels; }
    int outputChannelCount() const { return outputChannels; }
    PortAudioCallback* receiver() const { return callback; }

    // The function PortAudio calls; public so the forwarding can be tested.
    static int streamCallback(const void* input, void* output, unsigned long frames,
                              const void* timeInfo, unsigned long statusFlags, void* userData);

private:
    void* stream = nullptr;
    PortAudioCallback* callback = nullptr;
    int inputChannels = 0;
    int outputChannels = 2;
    double sampleRate = 44100.0;
    int hostApi = directSoundApi;
    std::string hostApiName;
    int openedHostApi = -1;
    bool started = false;
    double latencyOverride = -1.0;
    int underflowsAtOpen = 0;
    double outputLatency = 0.0;
    bool leftBehind = false;
};
