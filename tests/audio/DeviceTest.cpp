#include "audio/BoundedWait.h"
#include "audio/HostApiChoice.h"
#include "audio/PortAudioDevice.h"

#include "TempFolder.h"

#include <gtest/gtest.h>
#include <portaudio.h>

#include <algorithm>
#include <atomic>
#include <future>
#include <memory>
#include <thread>
#include <cstdlib>
#include <string>
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

TEST(HostApiChoice, WantedApiWhenOfferedElseTheDefaultSaidOnlyForAPlayersWish)
{
    const std::vector<HostApiOffer> offers = {{8, "ALSA"}, {12, "JACK Audio Connection Kit"}, {7, "OSS"}};
    struct Case {
        int type;
        const char* name;
        bool builtIn;
        int defaultIndex;
        int index;
        const char* message;
    };
    const Case cases[] = {
        {12, "JACK", false, 0, 1, ""},
        {7, "OSS", false, 1, 2, ""},
        // The built-in default, named or left empty, falls back quietly.
        {1, "DirectSound", true, 0, 0, ""},
        {1, "", true, 2, 2, ""},
        {5, "CoreAudio", false, 0, 0, "PortAudioDevice: CoreAudio is not available, using ALSA."},
        {1, "DirectSound", false, 1, 1,
         "PortAudioDevice: DirectSound is not available, using JACK Audio Connection Kit."},
        // An unknown word chooses DirectSound; the line names the word itself.
        {1, "jack", false, 0, 0, "PortAudioDevice: jack is not available, using ALSA."},
        // A default PortAudio does not list is no choice at all.
        {2, "MME", false, 3, -1, "PortAudioDevice: MME is not available, using no host API."},
        {2, "MME", false, -1, -1, "PortAudioDevice: MME is not available, using no host API."},
        {1, "", true, -1, -1, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.name << " default " << c.defaultIndex);
        const HostApiChoice choice = chooseHostApi(c.type, c.name, c.builtIn, offers, c.defaultIndex);
        EXPECT_EQ(choice.index, c.index);
        EXPECT_EQ(choice.message, c.message);
    }
    const HostApiChoice none = chooseHostApi(8, "ALSA", false, {}, 0);
    EXPECT_EQ(none.index, -1);
    EXPECT_EQ(none.message, "PortAudioDevice: ALSA is not available, using no host API.");
}

namespace {

// A stream through PortAudio into ALSA's null device: opens without a sound
// card and plays into nothing.
class NullSoundCard : public testing::Test {
protected:
    void SetUp() override
    {
        const std::string conf = folder.write("asound.conf", "pcm.!default { type null }\n");
        setenv("ALSA_CONFIG_PATH", conf.c_str(), 1);
        ASSERT_EQ(Pa_Initialize(), paNoError);
        const PaHostApiInfo* fallback = Pa_GetHostApiInfo(Pa_GetDefaultHostApi());
        ASSERT_NE(fallback, nullptr);
        defaultType = fallback->type;
        defaultName = fallback->name;
        Pa_Terminate();
    }
    void TearDown() override { unsetenv("ALSA_CONFIG_PATH"); }

    // What open() printed, and whether the stream ran.
    std::string openWith(PortAudioDevice& device, const std::string& api, bool& opened)
    {
        device.setCallback(&callback);
        device.setHostApi(api);
        testing::internal::CaptureStdout();
        opened = device.open();
        return testing::internal::GetCapturedStdout();
    }

    TempFolder folder;
    RecordingCallback callback;
    int defaultType = -1;
    std::string defaultName;
};

} // namespace

TEST_F(NullSoundCard, BuiltInDefaultFallsBackWithoutAWord)
{
    for (const char* api : {"DirectSound", ""}) {
        SCOPED_TRACE(api);
        PortAudioDevice device;
        bool opened = false;
        EXPECT_EQ(openWith(device, api, opened), "");
        EXPECT_TRUE(opened);
        EXPECT_EQ(device.openedHostApiType(), defaultType);
        device.close();
    }
}

TEST_F(NullSoundCard, NamedMissingApiSaysSoInOneLine)
{
    for (const char* api : {"CoreAudio", "Alsa"}) {
        SCOPED_TRACE(api);
        PortAudioDevice device;
        bool opened = false;
        EXPECT_EQ(openWith(device, api, opened),
                  std::string("PortAudioDevice: ") + api + " is not available, using " + defaultName + ".\n");
        EXPECT_TRUE(opened);
        EXPECT_EQ(device.openedHostApiType(), defaultType);
        device.close();
    }
}

TEST_F(NullSoundCard, NamedApiIsUsedWhereItExists)
{
    PortAudioDevice device;
    bool opened = false;
    EXPECT_EQ(openWith(device, "ALSA", opened), "");
    EXPECT_TRUE(opened);
    EXPECT_EQ(device.openedHostApiType(), PortAudioDevice::alsaApi);
    device.close();
    // Debian's PortAudio also offers OSS, which usually has no device: the
    // stream is asked of it all the same, not of the default.
    const std::vector<std::string> offered = PortAudioDevice::offeredHostApiNames();
    if (std::find(offered.begin(), offered.end(), "OSS") != offered.end()) {
        PortAudioDevice oss;
        EXPECT_EQ(openWith(oss, "OSS", opened).find("not available"), std::string::npos);
        EXPECT_EQ(oss.openedHostApiType(), PortAudioDevice::ossApi);
        oss.close();
    }
}

TEST_F(NullSoundCard, OfferedNamesAreThisSystemsInTheCommandLinesOrder)
{
    const std::vector<std::string> offered = PortAudioDevice::offeredHostApiNames();
    ASSERT_FALSE(offered.empty());
    EXPECT_EQ(offered.front(), "ALSA"); // first of the Linux names, and always built in
    for (const char* foreign : {"DirectSound", "ASIO", "MME", "CoreAudio"})
        EXPECT_EQ(std::count(offered.begin(), offered.end(), foreign), 0) << foreign;
    const std::vector<std::string> order = {"ALSA", "JACK", "OSS"};
    size_t next = 0;
    for (const std::string& name : offered) {
        while (next < order.size() && order[next] != name)
            ++next;
        ASSERT_LT(next, order.size()) << name << " out of order or unknown";
    }
}

TEST(BoundedWait, TrueForWorkDoneInTimeFalseWithoutWaitingForWorkThatHangs)
{
    int done = 0;
    EXPECT_TRUE(finishesWithin(60000, [&done] { ++done; }));
    EXPECT_EQ(done, 1); // joined: its effects are there
    auto release = std::make_shared<std::promise<void>>();
    auto finished = std::make_shared<std::atomic<bool>>(false);
    EXPECT_FALSE(finishesWithin(20, [gate = release->get_future().share(), finished] {
        gate.wait();
        finished->store(true);
    }));
    // Left behind, it still finishes with what it holds.
    release->set_value();
    while (!finished->load())
        std::this_thread::yield();
}

TEST(PortAudioDevice, RealtimeOnlyForAnAlsaCardOfItsOwn)
{
    EXPECT_TRUE(PortAudioDevice::wantsRealtime(PortAudioDevice::alsaApi, "HDA Intel PCH: ALC892 Analog (hw:0,0)"));
    EXPECT_FALSE(PortAudioDevice::wantsRealtime(PortAudioDevice::alsaApi, "default"));
    EXPECT_FALSE(PortAudioDevice::wantsRealtime(PortAudioDevice::alsaApi, "pulse"));
    EXPECT_FALSE(PortAudioDevice::wantsRealtime(PortAudioDevice::alsaApi, nullptr));
    EXPECT_FALSE(PortAudioDevice::wantsRealtime(PortAudioDevice::jackApi, "system (hw:0,0)"));
}
