#include "audio/PortAudioDevice.h"

#include <gtest/gtest.h>
#include <portaudio.h>

#include <vector>

namespace {

class RecordingCallback : public PortAudioCallback {
public:
    void process(const void* input, void* output, uint32_t frames) override
    {
        ++calls;
        lastInput = input;
        lastOutput = output;
        lastFrames = frames;
    }
    int calls = 0;
    const void* lastInput = nullptr;
    void* lastOutput = nullptr;
    uint32_t lastFrames = 0;
};

} // namespace

TEST(PortAudioDevice, DefaultsBeforeAnythingOpens)
{
    PortAudioDevice device;
    EXPECT_EQ(device.hostApiType(), 1);
    EXPECT_EQ(device.currentSampleRate(), 44100.0);
    EXPECT_EQ(device.inputChannelCount(), 0);
    EXPECT_EQ(device.outputChannelCount(), 2);
    EXPECT_EQ(device.receiver(), nullptr);
    EXPECT_FALSE(device.isStarted());
}

TEST(PortAudioDevice, HostApiNamesMapToTheirTypes)
{
    PortAudioDevice device;
    const std::pair<const char*, int> names[] = {{"DirectSound", 1}, {"ASIO", 3}, {"MME", 2}, {"ALSA", 8},
                                                 {"JACK", 12},       {"OSS", 7},  {"CoreAudio", 5}};
    for (const auto& [name, type] : names) {
        device.setHostApi(name);
        EXPECT_EQ(device.hostApiType(), type) << name;
    }
    for (const char* other : {"jack", "", "Alsa", "ALSA ", "PulseAudio"}) {
        device.setHostApi("JACK");
        device.setHostApi(other);
        EXPECT_EQ(device.hostApiType(), 1) << other;
    }
}

TEST(PortAudioDevice, StreamCallbackForwardsAndAlwaysContinues)
{
    RecordingCallback callback;
    std::vector<float> input(8), output(1024, 0.5f);
    EXPECT_EQ(PortAudioDevice::streamCallback(input.data(), output.data(), 512, nullptr, 0, &callback), 0);
    EXPECT_EQ(callback.calls, 1);
    EXPECT_EQ(callback.lastInput, input.data());
    EXPECT_EQ(callback.lastOutput, output.data());
    EXPECT_EQ(callback.lastFrames, 512u);
    // Without a receiver the buffer stays as it was and the stream goes on.
    EXPECT_EQ(PortAudioDevice::streamCallback(nullptr, output.data(), 512, nullptr, 0, nullptr), 0);
    for (float s : output)
        ASSERT_EQ(s, 0.5f);
}

TEST(PortAudioDevice, CloseWithoutAStreamDoesNothing)
{
    PortAudioDevice device;
    device.close();
    device.close();
    EXPECT_FALSE(device.isStarted());
}

TEST(PortAudioDevice, CountsOnlyOutputUnderflowsReportedToTheCallback)
{
    std::vector<float> output(64, 0.0f);
    const int before = PortAudioDevice::underflowCount();
    PortAudioDevice::streamCallback(nullptr, output.data(), 32, nullptr, paOutputUnderflow, nullptr);
    PortAudioDevice::streamCallback(nullptr, output.data(), 32, nullptr, paOutputUnderflow | paPrimingOutput,
                                    nullptr);
    EXPECT_EQ(PortAudioDevice::underflowCount(), before + 2);
    for (unsigned long flags : {0ul, static_cast<unsigned long>(paOutputOverflow),
                                static_cast<unsigned long>(paPrimingOutput), static_cast<unsigned long>(paInputUnderflow)})
        PortAudioDevice::streamCallback(nullptr, output.data(), 32, nullptr, flags, nullptr);
    EXPECT_EQ(PortAudioDevice::underflowCount(), before + 2);
}

TEST(PortAudioDevice, UnderflowLineOnlyWhenBuffersWereDropped)
{
    EXPECT_EQ(PortAudioDevice::underflowReport(0), "");
    EXPECT_EQ(PortAudioDevice::underflowReport(-3), "");
    EXPECT_EQ(PortAudioDevice::underflowReport(1), "PortAudioDevice: 1 output underflow.");
    EXPECT_EQ(PortAudioDevice::underflowReport(17), "PortAudioDevice: 17 output underflows.");
}
