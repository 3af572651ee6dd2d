#include "audio/VoiceLanes.h"

#include "audio/FastTanh.h"
#include "audio/LadderFilter.h"
#include "audio/LaneVector.h"
#include "audio/SimpleSynth.h"
#include "audio/VoiceEnvelope.h"
#include "audio/WaveTables.h"

#include <cmath>

namespace {

constexpr float cutoffSpan = 10975.0f;    // filterCutoff 1 = 10975 Hz
constexpr float cutoffCeiling = 11025.0f; // a full positive envelope ends at 11025 + 50 Hz
constexpr float cutoffFloor = 50.0f;      // added to every cutoff
constexpr float outputLevel = 0.5f;
constexpr int batchVoices = 32;           // voices planned at once (one group)

// One segment of a note-long envelope per lane, as constants: the value at
// time t is offset + sign * bend(x) with x = n / d, n = t * slope + start.
// The rise has n = t, d = riseEnd; the fall n = t - fallStart, d = fallLength,
// and 1 - bend; the hold and an ended fall use n = d = 1, which every bend
// maps exactly to 1. Each of these products and sums is exact (times 1 or 0,
// plus 0), so the value is the one the whole envelope gives at t.
struct SegmentLanes {
    LaneFloat slope, start, denominator, bend, offset, sign;

    __attribute__((always_inline)) LaneFloat at(LaneFloat t) const
    {
        const LaneFloat numerator = t * slope + start;
        // The bend x / (x + k(x - 1)) of x = n / d, multiplied through by d:
        // one division instead of two.
        const LaneFloat shaped = numerator / (numerator + bend * (numerator - denominator));
        return offset + sign * shaped;
    }
};

// A note-long envelope per lane: rise, hold, fall.
struct EnvelopeLanes {
    LaneFloat riseEnd, fallStart, fallLength, riseBend, fallBend;

    void setLane(int lane, const VoiceEnvelope& envelope)
    {
        riseEnd[lane] = envelope.riseEnd;
        fallStart[lane] = envelope.fallStart;
        fallLength[lane] = envelope.fallLength;
        riseBend[lane] = envelope.riseBend;
        fallBend[lane] = envelope.fallBend;
    }

    // The segment each lane is in at time t; `until` is lowered to the time
    // at which some lane's segment ends.
    __attribute__((always_inline)) SegmentLanes segmentAt(LaneFloat t, LaneFloat& until) const
    {
        const LaneFloat zero{};
        const LaneFloat one = zero + 1.0f;
        const LaneInt rise = t < riseEnd;
        const LaneInt hold = ~rise & (t < fallStart);
        const LaneInt fall = ~(rise | hold);
        // A fall of zero length can only be met at its very instant: it has ended.
        const LaneInt ramp = fall & ~(fallLength <= 0.0f);
        SegmentLanes segment;
        segment.slope = (rise | ramp) ? one : zero;
        segment.start = rise ? zero : (ramp ? -fallStart : one);
        segment.denominator = rise ? riseEnd : (ramp ? fallLength : one);
        segment.bend = rise ? riseBend : fallBend;
        segment.offset = fall ? one : zero;
        segment.sign = fall ? -one : one;
        const LaneFloat end = rise ? riseEnd : (hold ? fallStart : zero + __builtin_inff());
        until = end < until ? end : until;
        return segment;
    }
};

// Linear interpolation in each lane's own table at n + f, the table given
// by where it starts among all the shared tables (one block of memory). The
// sample after the last is the first again; the tables repeat it at their
// end, so each lane reads its two samples as one 64-bit word, and the words
// are split into the two vectors by two shuffles.
typedef long long LaneHalfPairs __attribute__((vector_size(sizeof(LaneFloat))));

LANE_INLINE LaneFloat readTables(const float* tables, LaneInt start, LaneFloat f)
{
    constexpr int half = laneWidth / 2;
    int at[laneWidth];
    __builtin_memcpy(at, &start, sizeof at);
    LaneHalfPairs low{}, high{};
    for (int lane = 0; lane < half; ++lane) {
        long long word;
        __builtin_memcpy(&word, tables + at[lane], sizeof word);
        low[lane] = word;
        __builtin_memcpy(&word, tables + at[lane + half], sizeof word);
        high[lane] = word;
    }
    static_assert(laneWidth == 8, "the shuffles below name eight lanes");
    const LaneFloat lowFloats = (LaneFloat)low;
    const LaneFloat highFloats = (LaneFloat)high;
    const LaneFloat here = __builtin_shufflevector(lowFloats, highFloats, 0, 2, 4, 6, 8, 10, 12, 14);
    const LaneFloat there = __builtin_shufflevector(lowFloats, highFloats, 1, 3, 5, 7, 9, 11, 13, 15);
    return here * (1.0f - f) + f * there;
}

// Adds one frame of every lane into out, lane after lane (the order in which
// rendering the voices one by one would add them).
LANE_INLINE void mixFrame(StereoFrame& out, LaneFloat heard)
{
    StereoFrame frame = out;
    for (int lane = 0; lane < laneWidth; ++lane) {
        frame.left += heard[lane];
        frame.right += heard[lane];
    }
    out = frame;
}

// Adds eight frames of every lane into out[0..7] with the same sums in the
// same order as eight mixFrame calls, but as vector additions: the frames
// (one vector of lanes each) are turned into one vector of frames per lane,
// and the left and right channels of the eight frames are taken apart.
LANE_INLINE void mixEightFrames(StereoFrame* out, const LaneFloat* frames)
{
    static_assert(laneWidth == 8, "an eight by eight turn");
    LaneFloat t[8], u[8], lanes[8];
    // Interleave single values, then pairs, then halves: an 8 × 8 transpose.
    for (int j = 0; j < 8; j += 2) {
        t[j] = __builtin_shufflevector(frames[j], frames[j + 1], 0, 8, 1, 9, 4, 12, 5, 13);
        t[j + 1] = __builtin_shufflevector(frames[j], frames[j + 1], 2, 10, 3, 11, 6, 14, 7, 15);
    }
    for (int j = 0; j < 8; j += 4) {
        u[j] = __builtin_shufflevector(t[j], t[j + 2], 0, 1, 8, 9, 4, 5, 12, 13);
        u[j + 1] = __builtin_shufflevector(t[j], t[j + 2], 2, 3, 10, 11, 6, 7, 14, 15);
        u[j + 2] = __builtin_shufflevector(t[j + 1], t[j + 3], 0, 1, 8, 9, 4, 5, 12, 13);
        u[j + 3] = __builtin_shufflevector(t[j + 1], t[j + 3], 2, 3, 10, 11, 6, 7, 14, 15);
    }
    for (int j = 0; j < 4; ++j) {
        lanes[j] = __builtin_shufflevector(u[j], u[j + 4], 0, 1, 2, 3, 8, 9, 10, 11);
        lanes[j + 4] = __builtin_shufflevector(u[j], u[j + 4], 4, 5, 6, 7, 12, 13, 14, 15);
    }
    LaneFloat first, second;
    __builtin_memcpy(&first, out, sizeof first);
    __builtin_memcpy(&second, out + 4, sizeof second);
    // Frames are left, right pairs: the even floats are the left channel.
    LaneFloat left = __builtin_shufflevector(first, second, 0, 2, 4, 6, 8, 10, 12, 14);
    LaneFloat right = __builtin_shufflevector(first, second, 1, 3, 5, 7, 9, 11, 13, 15);
    for (const LaneFloat& lane : lanes) {
        left += lane;
        right += lane;
    }
    first = __builtin_shufflevector(left, right, 0, 8, 1, 9, 2, 10, 3, 11);
    second = __builtin_shufflevector(left, right, 4, 12, 5, 13, 6, 14, 7, 15);
    __builtin_memcpy(out, &first, sizeof first);
    __builtin_memcpy(out + 4, &second, sizeof second);
}

// One wrap per frame suffices for any frequency below the engine rate; a
// pitch file with absurd or non-finite values must not push the read outside
// the table, so the rare remainder is folded back here.
inline float foldPhase(float phase, float length)
{
    phase = std::fmod(phase, length);
    if (phase < 0.0f)
        phase += length;
    if (!(phase >= 0.0f && phase < length))
        phase = 0.0f;
    return phase;
}

// With every phase inside the table and every increment in [0, length), one
// subtraction keeps the phase inside: the sum stays below 2 * length (the
// largest sum below it is a float) and the difference is exact.
LANE_INLINE LaneFloat wrapOrdinaryPhases(LaneFloat phase, float length)
{
    return phase >= length ? phase - length : phase;
}

LANE_INLINE LaneFloat wrapPhases(LaneFloat phase, float length)
{
    phase = phase >= length ? phase - length : phase;
    const LaneInt inside = (phase >= 0.0f) & (phase < length);
    if (!allLanes(inside))
        for (int lane = 0; lane < laneWidth; ++lane)
            if (!inside[lane])
                phase[lane] = foldPhase(phase[lane], length);
    return phase;
}

} // namespace

// Everything the frame loop needs, one lane per voice. Lanes past `count`
// repeat lane 0 so that they compute harmless numbers; they are never mixed
// and never written back.
struct VoiceLanes::Lanes {
    int count = 0;
    SimpleSynth* voices[laneWidth] = {};
    const float* tables = nullptr;  // the first of all the shared tables
    LaneInt sawStart, squareStart;  // each lane's tables, counted from there
    float length = 0.0f;
    float warp = 1.0f;  // the filters' rate warp: one engine, one rate
    bool warped = false;
    bool anyDetuned = false;
    bool ordinaryPitches = false;  // every increment in [0, length), every phase inside
    LaneFloat total, step, mix, detuned, envAmount, base, ceilingGap, gain, incMain, incDetuned;
    LaneInt detunedOn;
    EnvelopeLanes amplitude, cutoffShape;
    LaneFloat res;
    // State. The filters keep double memories between buffers but run in
    // single precision inside one.
    LaneFloat time, phase, phaseDetuned;
    LaneFloat cutoff, p, r, x;
    LadderFilter::Stages<LaneFloat> stages;

    void load(SimpleSynth* const* list, int n)
    {
        count = n;
        anyDetuned = false;
        tables = WaveTables::shared().saw(0);
        warp = static_cast<float>(list[0]->filter.rateWarp());
        warped = list[0]->filter.rateWarp() != 1.0;
        for (int lane = 0; lane < laneWidth; ++lane) {
            SimpleSynth& v = *list[lane < n ? lane : 0];
            voices[lane] = &v;
            const float noteTotal = 2.0f * v.noteLength;
            total[lane] = noteTotal;
            step[lane] = v.timeStep;
            amplitude.setLane(lane, VoiceEnvelope::make(noteTotal, v.attackTime, v.releaseTime, v.attackCurve,
                                                        v.releaseCurve));
            cutoffShape.setLane(lane, VoiceEnvelope::make(noteTotal, v.filterAttackTime, v.filterReleaseTime,
                                                          v.filterAttackCurve, v.filterReleaseCurve));
            const float tableSize = static_cast<float>(v.tableLength);
            length = tableSize;
            incMain[lane] = tableSize / (v.framesPerSecond / v.freqMain);
            incDetuned[lane] = tableSize / (v.framesPerSecond / v.freqDetuned);
            base[lane] = v.filterCutoff * cutoffSpan;
            ceilingGap[lane] = cutoffCeiling - base[lane];
            mix[lane] = v.waveAmount;
            detuned[lane] = v.detunedSawAmount;
            detunedOn[lane] = v.detunedSawAmount > 0.0f ? -1 : 0;
            anyDetuned = anyDetuned || v.detunedSawAmount > 0.0f;
            envAmount[lane] = v.filterEnvAmount;
            gain[lane] = v.distGain;
            res[lane] = v.filterRes;
            sawStart[lane] = static_cast<int>(v.tableA - tables);
            squareStart[lane] = static_cast<int>(v.tableB - tables);
            time[lane] = v.envTime;
            phase[lane] = v.phaseMain;
            phaseDetuned[lane] = v.phaseDetuned;
            const LadderFilter& f = v.filter;
            cutoff[lane] = static_cast<float>(f.cutoff);
            p[lane] = static_cast<float>(f.p);
            r[lane] = static_cast<float>(f.r);
            x[lane] = static_cast<float>(f.x);
            stages.y1[lane] = static_cast<float>(f.y1);
            stages.y2[lane] = static_cast<float>(f.y2);
            stages.y3[lane] = static_cast<float>(f.y3);
            stages.y4[lane] = static_cast<float>(f.y4);
            stages.oldX[lane] = static_cast<float>(f.oldX);
            stages.oldY1[lane] = static_cast<float>(f.oldY1);
            stages.oldY2[lane] = static_cast<float>(f.oldY2);
            stages.oldY3[lane] = static_cast<float>(f.oldY3);
        }
        const LaneInt inside = (incMain >= 0.0f) & (incMain < length) & (incDetuned >= 0.0f) &
                               (incDetuned < length) & (phase >= 0.0f) & (phase < length) &
                               (phaseDetuned >= 0.0f) & (phaseDetuned < length);
        ordinaryPitches = allLanes(inside);
    }

    // filtered: at least one frame went through the filters, which then hold
    // the coefficients of the last cutoff.
    void store(bool filtered) const
    {
        for (int lane = 0; lane < count; ++lane) {
            SimpleSynth& v = *voices[lane];
            v.envTime = time[lane];
            v.phaseMain = phase[lane];
            v.phaseDetuned = phaseDetuned[lane];
            if (!filtered)
                continue;
            LadderFilter& f = v.filter;
            f.cutoff = cutoff[lane];
            f.res = res[lane];
            f.p = p[lane];
            f.k = 2.0 * f.p - 1.0;
            f.r = r[lane];
            f.x = x[lane];
            f.y1 = stages.y1[lane];
            f.y2 = stages.y2[lane];
            f.y3 = stages.y3[lane];
            f.y4 = stages.y4[lane];
            f.oldX = stages.oldX[lane];
            f.oldY1 = stages.oldY1[lane];
            f.oldY2 = stages.oldY2[lane];
            f.oldY3 = stages.oldY3[lane];
        }
    }
};

void VoiceLanes::render(SimpleSynth* const* voices, int count, StereoFrame* out, int frames)
{
    if (frames <= 0)
        return;
    for (int first = 0; first < count; first += batchVoices) {
        const int n = count - first < batchVoices ? count - first : batchVoices;
        SimpleSynth* const* batch = voices + first;
        // The first sounding frame of each voice; `frames` when it stays silent.
        int begin[batchVoices];
        for (int i = 0; i < n; ++i) {
            SimpleSynth& v = *batch[i];
            begin[i] = frames;
            if (!v.active)
                continue;
            if (!v.waiting || v.startDelay < 0) {
                begin[i] = 0;
                continue;
            }
            // Each waiting frame counts the delay down; the frame that brings
            // it to zero (or below) sounds.
            const int sounding = v.startDelay > 1 ? v.startDelay - 1 : 0;
            if (sounding >= frames) {
                v.startDelay -= frames;
                continue;
            }
            begin[i] = sounding;
            v.startDelay -= sounding + 1;
            v.waiting = false;
        }
        // Between two start frames the set of sounding voices only shrinks.
        int from = 0;
        while (from < frames) {
            int to = frames;
            for (int i = 0; i < n; ++i)
                if (begin[i] > from && begin[i] < to)
                    to = begin[i];
            SimpleSynth* sounding[batchVoices];
            int soundingCount = 0;
            for (int i = 0; i < n; ++i)
                if (begin[i] <= from && batch[i]->active)
                    sounding[soundingCount++] = batch[i];
            for (int i = 0; i < soundingCount; i += laneWidth)
                renderTogether(sounding + i, soundingCount - i < laneWidth ? soundingCount - i : laneWidth, out, from,
                               to);
            from = to;
        }
    }
}

// A lone voice is a batch of one, so that it sounds exactly as it does
// beside others. It renders here, with the lanes that read its fields, so
// the voice itself needs nothing of them.
void SimpleSynth::render(StereoFrame* out, int frames)
{
    if (!active)
        return;
    SimpleSynth* const self = this;
    VoiceLanes::render(&self, 1, out, frames);
}

// Up to laneWidth voices over frames [from, to). A voice whose note runs out
// leaves the lanes at that frame and the others go on without it.
void VoiceLanes::renderTogether(SimpleSynth* const* voices, int count, StereoFrame* out, int from, int to)
{
    SimpleSynth* remaining[laneWidth];
    for (int i = 0; i < count; ++i)
        remaining[i] = voices[i];
    Lanes lanes;
    while (count > 0 && from < to) {
        lanes.load(remaining, count);
        const int stop = run(lanes, out, from, to);
        lanes.store(stop > from);
        if (stop == to)
            return;
        int kept = 0;
        for (int lane = 0; lane < count; ++lane) {
            SimpleSynth& v = *remaining[lane];
            const float next = v.envTime + v.timeStep;
            if (next > 2.0f * v.noteLength) {
                v.envTime = next;
                v.active = false;
            } else {
                remaining[kept++] = &v;
            }
        }
        count = kept;
        from = stop;
    }
}

// The frame loop. Returns the frame at which a lane's note ran out (that frame
// left undone for every lane), or `to`. Built twice: for the processors with
// AVX2, where a lane vector is one register (over four times faster here),
// and for any x86-64; the loader picks one. Neither fuses multiply and add,
// so both give the same bits.
LANE_TARGETS
int VoiceLanes::run(Lanes& lanes, StereoFrame* out, int from, int to)
{
    // Locals, so that the loop keeps its state in registers and no store into
    // the buffer can be taken for a change of it.
    const LaneFloat total = lanes.total, step = lanes.step, mix = lanes.mix, detuned = lanes.detuned;
    const LaneFloat envAmount = lanes.envAmount, base = lanes.base, ceilingGap = lanes.ceilingGap;
    const LaneFloat gain = lanes.gain, incMain = lanes.incMain, incDetuned = lanes.incDetuned;
    const LaneInt detunedOn = lanes.detunedOn;
    const float* const tables = lanes.tables;
    const LaneInt sawStart = lanes.sawStart, squareStart = lanes.squareStart;
    const EnvelopeLanes amplitude = lanes.amplitude, cutoffShape = lanes.cutoffShape;
    const LaneFloat res = lanes.res;
    const float length = lanes.length;
    const float warp = lanes.warp;
    const bool warped = lanes.warped;
    const bool anyDetuned = lanes.anyDetuned;
    const bool ordinaryPitches = lanes.ordinaryPitches;
    LaneInt live;
    for (int lane = 0; lane < laneWidth; ++lane)
        live[lane] = lane < lanes.count ? -1 : 0;
    LaneFloat time = lanes.time, phase = lanes.phase, phaseDetuned = lanes.phaseDetuned;
    LaneFloat cutoff = lanes.cutoff, p = lanes.p, r = lanes.r, x = lanes.x;
    LadderFilter::Stages<LaneFloat> stages = lanes.stages;
    const LaneFloat lowest = LaneFloat{} + static_cast<float>(LadderFilter::lowestCutoff);

    // The envelopes' segments are looked up again only when some lane's time
    // reaches the end of its segment or passes the end of its note (at the
    // float above `total`); the first frame always looks them up.
    LaneFloat ending;
    for (int lane = 0; lane < laneWidth; ++lane)
        ending[lane] = __builtin_nextafterf(total[lane], __builtin_inff());
    LaneFloat until = LaneFloat{} - __builtin_inff();
    SegmentLanes rise, cutoffRise;

    // Frames wait here to be mixed eight at a time.
    LaneFloat pending[laneWidth];
    int held = 0;

    int i = from;
    for (; i < to; ++i) {
        const LaneFloat now = time + step;
        if (anyLane(now >= until)) {
            if (anyLane(now > total))
                break;
            until = ending;
            rise = amplitude.segmentAt(now, until);
            cutoffRise = cutoffShape.segmentAt(now, until);
        }
        time = now;
        const LaneFloat a = rise.at(time);
        const LaneFloat fe = cutoffRise.at(time) * envAmount;

        const LaneInt n = __builtin_convertvector(phase, LaneInt);
        const LaneFloat f = phase - __builtin_convertvector(n, LaneFloat);
        LaneFloat s = (1.0f - mix) * readTables(tables, sawStart + n, f) + mix * readTables(tables, squareStart + n, f);
        if (anyDetuned) {
            const LaneInt n2 = __builtin_convertvector(phaseDetuned, LaneInt);
            const LaneFloat f2 = phaseDetuned - __builtin_convertvector(n2, LaneFloat);
            s = detunedOn ? s + detuned * readTables(tables, sawStart + n2, f2) : s;
        }
        if (ordinaryPitches) {
            phase = wrapOrdinaryPhases(phase + incMain, length);
            phaseDetuned = wrapOrdinaryPhases(phaseDetuned + incDetuned, length);
        } else {
            phase = wrapPhases(phase + incMain, length);
            phaseDetuned = wrapPhases(phaseDetuned + incDetuned, length);
        }

        const LaneFloat wanted = base + fe * (fe < 0.0f ? base : ceilingGap) + cutoffFloor;
        // Coefficients every frame: testing whether any lane's cutoff moved
        // costs about as much as the update, and the worst case pays both.
        cutoff = wanted < lowest ? lowest : wanted;
        LaneFloat k;
        LadderFilter::coefficients(cutoff, res, warp, warped, p, k, r);
        const LaneFloat y = LadderFilter::step(s, p, r, stages, x);
        const LaneFloat o = outputLevel * a * fastTanh(gain * y);
        // Spare lanes add +0, which leaves every sum as it was.
        pending[held++] = live ? o : LaneFloat{};
        if (held == laneWidth) {
            mixEightFrames(out + i + 1 - laneWidth, pending);
            held = 0;
        }
    }
    for (int j = 0; j < held; ++j)
        mixFrame(out[i - held + j], pending[j]);
    lanes.time = time;
    lanes.phase = phase;
    lanes.phaseDetuned = phaseDetuned;
    lanes.cutoff = cutoff;
    lanes.p = p;
    lanes.r = r;
    lanes.x = x;
    lanes.stages = stages;
    return i;
}
