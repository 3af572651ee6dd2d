#pragma once

// Fixed-width vectors holding one value per voice, so that several voices
// render side by side: each arithmetic operation works on every lane at once
// and the long serial chain of one voice's filter overlaps with the others'.
// GCC and Clang vector extensions. Eight floats fill one AVX register; on a
// machine without AVX the compiler splits them into two SSE registers.
inline constexpr int laneWidth = 8;

typedef float LaneFloat __attribute__((vector_size(laneWidth * sizeof(float))));
// Lane masks as comparisons give them: all ones for true.
typedef decltype(LaneFloat{} < LaneFloat{}) LaneInt;

// The type of one lane: the vector's element, or the type itself for a
// plain number.
template <class Real>
struct LaneElementOf {
    using type = Real;
};
template <>
struct LaneElementOf<LaneFloat> {
    using type = float;
};
template <class Real>
using LaneElement = typename LaneElementOf<Real>::type;

// Wide vectors are passed in AVX registers by code built for AVX and in
// memory by code built without it, so a call between the two would read
// garbage. The frame loop is built both ways (see VoiceLanes) and calls the
// helpers here and in the filter, tanh and voice code: every function that
// takes or returns lane vectors and may be called from it is forced inline,
// at every optimisation level (a plain inline is not inlined in a debug
// build), so that no such call exists. GCC's note about the two
// conventions is then moot, and the audio library turns it off.
#define LANE_INLINE inline __attribute__((always_inline))

// Comparisons give all-ones lanes for true; a plain bool stands for one lane.
LANE_INLINE bool anyLane(bool mask) { return mask; }
LANE_INLINE bool allLanes(bool mask) { return mask; }

// Read as machine words, which the compiler turns into a test of the whole
// register instead of a branch per lane.
template <class Mask>
LANE_INLINE bool anyLane(Mask mask)
{
    unsigned long long words[sizeof(Mask) / 8];
    __builtin_memcpy(words, &mask, sizeof(Mask));
    unsigned long long any = 0;
    for (unsigned long long word : words)
        any |= word;
    return any != 0;
}

template <class Mask>
LANE_INLINE bool allLanes(Mask mask)
{
    unsigned long long words[sizeof(Mask) / 8];
    __builtin_memcpy(words, &mask, sizeof(Mask));
    unsigned long long all = ~0ull;
    for (unsigned long long word : words)
        all &= word;
    return all == ~0ull;
}

// Lane-wise choice that also reads naturally for one lane.
LANE_INLINE double pick(bool mask, double yes, double no) { return mask ? yes : no; }
LANE_INLINE float pick(bool mask, float yes, float no) { return mask ? yes : no; }
LANE_INLINE LaneFloat pick(LaneInt mask, LaneFloat yes, LaneFloat no) { return mask ? yes : no; }

// The frame loop is built for AVX2, where a lane vector is one register, and
// for any x86-64; the loader picks one. Clang refuses to pass wide vectors
// between code built for different targets even when it is inlined, and
// ThreadSanitizer's start-up crashes on the loader's choice, so a Clang build
// (the fuzz targets), a ThreadSanitizer build and other processors build it
// once.
#if defined(__x86_64__) && !defined(__clang__) && !defined(__SANITIZE_THREAD__)
#define LANE_TARGETS __attribute__((target_clones("avx2", "default")))
#else
#define LANE_TARGETS
#endif
