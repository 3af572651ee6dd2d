#include "RouteSearch.h"

#include "BucketSet.h"
#include "SearchPilot.h"
#include "game/PilotBody.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <limits>
#include <new>
#include <system_error>
#include <thread>

namespace {

// Bucket sizes: how close two states must be to count as one.
constexpr float positionSteps = 4.0f;   // buckets per cell, along each axis
constexpr float speedSteps = 64.0f;     // buckets per cell per frame, for vy and for vx on the ground or in a kick
constexpr float flyingVxSteps = 8.0f;   // buckets per cell per frame, for vx in free flight
constexpr int32_t speedIndexLimit = 255; // the key's nine bits of speed; every live state is slower
constexpr uint64_t positionMask = (uint64_t{1} << 19) - 1;
constexpr int32_t maxPressGap = 60000;  // frames; more than any search runs
constexpr std::size_t chunkStates = 4096; // frontier states a worker takes at a time
constexpr uint8_t longestStay = 64;     // frames a state may go on inside its own bucket
constexpr int64_t mostChildren = 8;     // states one state makes in a frame: four directions, with a press or not

// Input bits of a search step.
constexpr uint8_t leftBit = 1;
constexpr uint8_t rightBit = 2;
constexpr uint8_t jumpBit = 4;

// A state alive on the current frame.
struct Live {
    float x = 0.0f;
    float y = 0.0f;
    float vx = 0.0f;
    float vy = 0.0f;
    uint32_t node = 0;       // where its route is kept
    uint16_t sincePress = 0; // frames since the last press, capped at the gap
    uint8_t recovery = 0;    // the body's own wait before a jump can take effect again
    bool wallKick = false;
    uint8_t held = 0;        // directions held on the step that made it
    uint8_t stay = 0;        // frames it has stayed in its bucket
    uint64_t key = 0;        // its bucket
};

// How a state was reached: from which node, with which input.
struct Node {
    uint32_t parent;
    uint8_t input;
};

// A state made from a frontier state on this frame, before deduplication.
struct Child {
    Live live;
    uint32_t parent = 0;
    uint8_t input = 0;
    float flightSpeed = 0.0f;
    bool wins = false;
    bool continues = false; // stays in its parent's bucket: the parent's own path
};

uint64_t keyOf(const Live& live)
{
    return RouteSearch::bucketOf(live.x, live.y, live.vx, live.vy, live.wallKick);
}

// How soon a state may jump again, larger sooner: the press gap and the
// body's own recovery both count down one a frame, so the later of the two
// is all that matters later on.
uint16_t freedom(const Live& live, int32_t pressGap)
{
    const int32_t gapWait = std::max(pressGap - live.sincePress, 0);
    const int32_t bodyWait = std::max(live.recovery - 1, 0); // it counts down before it is checked
    return static_cast<uint16_t>(std::numeric_limits<uint16_t>::max() - std::max(gapWait, bodyWait));
}

bool samePhysics(const Live& a, const Live& b)
{
    return a.x == b.x && a.y == b.y && a.vx == b.vx && a.vy == b.vy && a.wallKick == b.wallKick;
}

// Every state worth keeping that one frame makes from `from`.
void expand(const Live& from, const LevelGrid& grid, int32_t pressGap, std::vector<Child>& out)
{
    const int32_t cx = static_cast<int32_t>(from.x);
    const int32_t cy = static_cast<int32_t>(from.y);
    // A press only does something on the ground or beside a wall; anywhere
    // else it is lost and only delays the next one.
    const bool pressUseful = grid.solid(cx, cy + 1) || grid.solid(cx + 1, cy) || grid.solid(cx - 1, cy);
    const int presses = pressUseful && from.sincePress >= pressGap ? 2 : 1;
    Child made[8];
    int count = 0;
    for (int press = 0; press < presses; ++press) {
        for (uint8_t choice = 0; choice < 4; ++choice) {
            // What was held last comes first: it is the one a state staying
            // in its own bucket goes on with.
            const uint8_t directions = choice == 0 ? from.held : choice <= from.held ? choice - 1 : choice;
            PilotBody body = pilotOf(from, press != 0);
            PilotInput input;
            input.left = (directions & leftBit) != 0 ? 1 : 0;
            input.right = (directions & rightBit) != 0 ? 1 : 0;
            body.update(input, grid);
            Child& child = made[count++];
            keepPilot(body, child.live);
            child.live.sincePress =
                static_cast<uint16_t>(press != 0 ? 1 : std::min<int32_t>(from.sincePress + 1, pressGap));
            child.live.held = directions;
            child.parent = from.node;
            child.input = static_cast<uint8_t>(directions | (press != 0 ? jumpBit : 0));
            child.flightSpeed = body.flightSpeed();
            child.wins = child.flightSpeed >= PilotBody::winningFlightSpeed;
        }
    }
    for (int i = 0; i < count; ++i) {
        Child& child = made[i];
        if (!child.wins) {
            // Moving the same way with less freedom to press is never better:
            // not than an earlier input (no press comes first), nor than
            // standing where the parent stands.
            bool dominated =
                samePhysics(child.live, from) && freedom(child.live, pressGap) <= freedom(from, pressGap);
            for (int j = 0; j < i && !dominated; ++j) {
                dominated = samePhysics(made[j].live, child.live);
            }
            if (dominated) {
                continue;
            }
        }
        child.live.key = keyOf(child.live);
        if (child.live.key == from.key && !child.wins) {
            // A state slower than its bucket is wide would merge into itself
            // and stop. Its own path goes on, holding what it held, for a
            // while; other inputs wait until it has left the bucket.
            if (i != 0 || from.stay >= longestStay) {
                continue;
            }
            child.continues = true;
            child.live.stay = static_cast<uint8_t>(from.stay + 1);
        }
        out.push_back(child);
    }
}

// The most bytes a vector of `capacity` holds while it takes `needed`
// elements in all: it doubles, and keeps the old buffer while it copies.
int64_t vectorPeak(std::size_t capacity, int64_t needed, std::size_t element)
{
    auto slots = static_cast<int64_t>(capacity);
    if (needed <= slots) {
        return slots * static_cast<int64_t>(element);
    }
    slots = std::max<int64_t>(slots, 1);
    while (slots < needed) {
        slots *= 2;
    }
    return (slots + slots / 2) * static_cast<int64_t>(element);
}

Route routeTo(const std::vector<Node>& nodes, uint32_t node, uint8_t lastInput)
{
    Route route;
    const auto step = [](uint8_t input) {
        return RouteStep{(input & leftBit) != 0, (input & rightBit) != 0, (input & jumpBit) != 0};
    };
    route.push_back(step(lastInput));
    for (uint32_t at = node; at != 0; at = nodes[at].parent) {
        route.push_back(step(nodes[at].input));
    }
    std::reverse(route.begin(), route.end());
    return route;
}

} // namespace

RouteSearch::Result RouteSearch::run(const LevelGrid& grid, const Options& options,
                                     const std::function<void(const Progress&)>& progress)
{
    Result result;
    result.width = grid.getWidth();
    result.height = grid.getHeight();
    const std::size_t cellCount = static_cast<std::size_t>(result.width) * static_cast<std::size_t>(result.height);
    result.firstFrame.assign(cellCount, -1);
    result.winZone.assign(cellCount, 0);
    result.topFlightSpeed.assign(cellCount, 0.0f);
    const int32_t pressGap = std::clamp(options.pressGap, 1, maxPressGap);
    const auto cellIndex = [&](float x, float y) -> int64_t {
        const auto column = static_cast<int32_t>(x);
        const auto row = static_cast<int32_t>(y);
        if (column < 0 || row < 0 || column >= result.width || row >= result.height) {
            return -1;
        }
        return static_cast<int64_t>(row) * result.width + column;
    };
    const auto reach = [&](float x, float y, int32_t frame) {
        const int64_t index = cellIndex(x, y);
        if (index >= 0 && result.firstFrame[static_cast<std::size_t>(index)] < 0) {
            result.firstFrame[static_cast<std::size_t>(index)] = frame;
            ++result.cellsReached;
        }
    };

    std::vector<Node> nodes{Node{0, 0}};
    BucketSet visited;
    Live start;
    start.x = static_cast<float>(options.startColumn);
    start.y = static_cast<float>(options.startRow);
    start.sincePress = static_cast<uint16_t>(pressGap);
    start.key = keyOf(start);
    visited.improve(start.key, freedom(start, pressGap));
    reach(start.x, start.y, 0);
    std::vector<Live> frontier{start};
    std::vector<Live> next;

    const int32_t workers = options.threads > 0 ? options.threads
                                                : std::max(1, static_cast<int32_t>(std::thread::hardware_concurrency()));
    std::vector<std::vector<Child>> made;

    const auto cellBytes = static_cast<int64_t>(cellCount * (sizeof(int32_t) + sizeof(uint8_t) + sizeof(float)));
    const auto madeCapacity = [&] {
        std::size_t total = 0;
        for (const std::vector<Child>& chunk : made) {
            total += chunk.capacity();
        }
        return total;
    };
    // The most the tables could hold by the end of the next frame if every
    // state made all the children it can.
    const auto heldAfterNextFrame = [&] {
        const int64_t children = mostChildren * static_cast<int64_t>(frontier.size());
        return cellBytes + vectorPeak(nodes.capacity(), static_cast<int64_t>(nodes.size()) + children, sizeof(Node)) +
               static_cast<int64_t>(visited.peakBytesFor(static_cast<std::size_t>(children))) +
               static_cast<int64_t>(frontier.capacity() * sizeof(Live)) +
               vectorPeak(next.capacity(), children, sizeof(Live)) +
               static_cast<int64_t>(std::max<std::size_t>(madeCapacity(), static_cast<std::size_t>(children)) *
                                    sizeof(Child));
    };
    const auto stop = [&](Stop why) {
        result.complete = false;
        result.stoppedBy = why;
    };

    Progress report;
    int32_t frame = 0;
    while (!frontier.empty()) {
        if (frame >= options.frameLimit) {
            stop(Stop::frames);
            break;
        }
        if (static_cast<int64_t>(nodes.size()) >= options.stateLimit) {
            stop(Stop::states);
            break;
        }
        const int64_t needed = heldAfterNextFrame();
        if (needed > options.memoryLimit) {
            stop(Stop::memory);
            break;
        }
        result.neededBytes = std::max(result.neededBytes, needed);
        try {
            ++frame;
            // The movement steps run side by side, each worker on whole chunks
            // of the frontier; the results are then taken in frontier order, so
            // the search does not depend on the number of workers.
            const std::size_t chunks = (frontier.size() + chunkStates - 1) / chunkStates;
            made.resize(std::max(made.size(), chunks));
            std::atomic<bool> workerOutOfMemory{false};
            const auto work = [&](std::size_t firstChunk, std::size_t step) {
                try {
                    for (std::size_t chunk = firstChunk; chunk < chunks; chunk += step) {
                        std::vector<Child>& out = made[chunk];
                        out.clear();
                        const std::size_t end = std::min(frontier.size(), (chunk + 1) * chunkStates);
                        for (std::size_t i = chunk * chunkStates; i < end; ++i) {
                            expand(frontier[i], grid, pressGap, out);
                        }
                    }
                } catch (const std::bad_alloc&) {
                    workerOutOfMemory = true;
                }
            };
            const auto helpers = static_cast<std::size_t>(std::min<int64_t>(workers, static_cast<int64_t>(chunks))) - 1;
            std::vector<std::thread> threads;
            threads.reserve(helpers);
            for (std::size_t helper = 0; helper < helpers; ++helper) {
                try {
                    threads.emplace_back(work, helper + 1, helpers + 1);
                } catch (const std::system_error&) {
                    break; // no thread to be had: the calling one does its share
                }
            }
            for (std::size_t share = threads.size() + 1; share <= helpers; ++share) {
                work(share, helpers + 1);
            }
            work(0, helpers + 1);
            for (std::thread& thread : threads) {
                thread.join();
            }
            if (workerOutOfMemory) {
                throw std::bad_alloc();
            }

            next.clear();
            for (std::size_t chunk = 0; chunk < chunks; ++chunk) {
                for (const Child& child : made[chunk]) {
                    const int64_t cell = cellIndex(child.live.x, child.live.y);
                    if (cell >= 0 && !child.wins) {
                        float& top = result.topFlightSpeed[static_cast<std::size_t>(cell)];
                        top = std::max(top, child.flightSpeed);
                    }
                    if (child.wins) {
                        // The game stops at a win: mark the zone, go no further.
                        if (cell >= 0 && result.winZone[static_cast<std::size_t>(cell)] == 0) {
                            result.winZone[static_cast<std::size_t>(cell)] = 1;
                            ++result.winZoneCells;
                        }
                        reach(child.live.x, child.live.y, frame);
                        if (result.fastestWin.empty()) {
                            result.fastestWin = routeTo(nodes, child.parent, child.input);
                            result.winColumn = static_cast<int32_t>(child.live.x);
                            result.winRow = static_cast<int32_t>(child.live.y);
                        }
                        continue;
                    }
                    if (!visited.improve(child.live.key, freedom(child.live, pressGap)) && !child.continues) {
                        continue;
                    }
                    Live live = child.live;
                    live.node = static_cast<uint32_t>(nodes.size());
                    nodes.push_back(Node{child.parent, child.input});
                    reach(live.x, live.y, frame);
                    next.push_back(live);
                }
            }
            frontier.swap(next);

            report.frame = frame;
            report.states = static_cast<int64_t>(nodes.size());
            report.frontier = static_cast<int64_t>(frontier.size());
            report.cellsReached = result.cellsReached;
            report.firstWinFrame = result.fastestWin.empty() ? -1 : static_cast<int32_t>(result.fastestWin.size());
            if (progress) {
                progress(report);
            }
        } catch (const std::bad_alloc&) {
            // What the frames before found stands; the rest is let go so
            // that there is room to report it.
            stop(Stop::outOfMemory);
            break;
        }
    }
    result.states = static_cast<int64_t>(nodes.size());
    result.frames = frame;
    return result;
}

// Free flight is the bulk of all states, and there the sideways speed
// changes the path least, so it is the coarsest part of the key.
uint64_t RouteSearch::bucketOf(float x, float y, float vx, float vy, bool wallKick)
{
    // Positions are never below -1: cells outside the picture are solid.
    const auto position = [](float value) {
        return static_cast<uint64_t>(static_cast<int64_t>(std::floor((value + 1.0f) * positionSteps))) &
               positionMask;
    };
    const auto speed = [](float value, float steps) {
        const auto index = static_cast<int32_t>(std::lround(value * steps));
        return static_cast<uint64_t>(std::clamp(index, -speedIndexLimit, speedIndexLimit) + speedIndexLimit + 1);
    };
    const bool flying = vy != 0.0f && !wallKick;
    return position(x) | position(y) << 19 | speed(vx, flying ? flyingVxSteps : speedSteps) << 38 |
           speed(vy, speedSteps) << 47 | static_cast<uint64_t>(wallKick ? 1 : 0) << 56;
}
