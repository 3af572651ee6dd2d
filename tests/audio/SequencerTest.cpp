#include "audio/SequencerCursor.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace {

// Records every report with its absolute frame.
class StepLog : public SequencerCursor::Callback {
public:
    void onStep(int step, int frameOffset) override { reports.push_back({step, base + frameOffset}); }
    long long base = 0;
    std::vector<std::pair<int, long long>> reports;
};

StepLog run(int bufferFrames, long long totalFrames, bool resetFirst)
{
    StepLog log;
    SequencerCursor cursor;
    cursor.setCallback(&log);
    if (resetFirst)
        cursor.reset();
    for (long long done = 0; done < totalFrames; done += bufferFrames) {
        log.base = done;
        cursor.advance(static_cast<int>(std::min<long long>(bufferFrames, totalFrames - done)));
    }
    return log;
}

} // namespace

TEST(SequencerCursor, StepIncrementAt120BeatsPerMinute)
{
    SequencerCursor cursor;
    EXPECT_EQ(cursor.currentTempo(), 120.0f);
    EXPECT_EQ(cursor.currentPosition(), 0.0f);
    EXPECT_EQ(cursor.increment(), static_cast<float>(1.0 / 5512.5));
    EXPECT_FLOAT_EQ(cursor.increment(), 0.00018140589f);
    cursor.setTempo(60.0f);
    EXPECT_EQ(cursor.increment(), static_cast<float>(1.0 / 11025.0));
}

TEST(SequencerCursor, ResetReportsStepZeroAtFrameZeroOfTheNextBuffer)
{
    StepLog log;
    SequencerCursor cursor;
    cursor.setCallback(&log);
    cursor.advance(3000);
    log.reports.clear();
    cursor.reset();
    EXPECT_EQ(cursor.currentPosition(), 16.0f - cursor.increment());
    cursor.advance(512);
    ASSERT_EQ(log.reports.size(), 1u);
    EXPECT_EQ(log.reports[0], std::make_pair(0, 0LL));
}

TEST(SequencerCursor, StepOneArrivesWhereTheFloatPositionFirstReachesOne)
{
    // The position accumulates in float from 16 - inc, wrapping at 16.
    const float inc = static_cast<float>(1.0 / 5512.5);
    float position = 16.0f - inc;
    long long frame = 0;
    long long stepOneFrame = -1;
    for (; frame < 20000 && stepOneFrame < 0; ++frame) {
        position = position + inc;
        if (position >= 16.0f)
            position = position - 16.0f;
        if (position >= 1.0f)
            stepOneFrame = frame;
    }
    ASSERT_GE(stepOneFrame, 5511);
    ASSERT_LE(stepOneFrame, 5519);

    const StepLog log = run(512, 6000, true);
    ASSERT_EQ(log.reports.size(), 2u);
    EXPECT_EQ(log.reports[1], std::make_pair(1, stepOneFrame));
}

TEST(SequencerCursor, LoopsLast88273Or88274FramesAndStepsFall5511To5519Apart)
{
    const StepLog log = run(512, 88274LL * 6, true);
    long long previousStep = -1, previousLoop = -1;
    int loops = 0;
    for (size_t i = 0; i < log.reports.size(); ++i) {
        const auto& [step, frame] = log.reports[i];
        EXPECT_EQ(step, static_cast<int>(i % 16));
        if (previousStep >= 0) {
            EXPECT_GE(frame - previousStep, 5511);
            EXPECT_LE(frame - previousStep, 5519);
        }
        previousStep = frame;
        if (step == 0) {
            if (previousLoop >= 0) {
                const long long length = frame - previousLoop;
                EXPECT_TRUE(length == 88273 || length == 88274) << length;
                ++loops;
            }
            previousLoop = frame;
        }
    }
    EXPECT_GE(loops, 5);
}

TEST(SequencerCursor, ReportsDoNotDependOnTheBufferSize)
{
    const long long total = 200000;
    const StepLog whole = run(4096, total, true);
    for (int buffer : {1, 63, 512, 5512, 5513}) {
        const StepLog split = run(buffer, total, true);
        EXPECT_EQ(split.reports, whole.reports) << "buffer " << buffer;
    }
}

TEST(SequencerCursor, ABufferInsideOneStepReportsNothing)
{
    StepLog log;
    SequencerCursor cursor;
    cursor.setCallback(&log);
    cursor.advance(100);
    cursor.advance(4000);
    EXPECT_TRUE(log.reports.empty());
    cursor.advance(2000);
    ASSERT_EQ(log.reports.size(), 1u);
    EXPECT_EQ(log.reports[0].first, 1);
}

TEST(SequencerCursor, WithoutReceiverItStillMoves)
{
    SequencerCursor cursor;
    cursor.advance(6000);
    EXPECT_GE(cursor.currentPosition(), 1.0f);
    StepLog log;
    cursor.setCallback(&log);
    cursor.advance(1);
    EXPECT_TRUE(log.reports.empty());
}
