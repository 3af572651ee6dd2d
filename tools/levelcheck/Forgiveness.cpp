#include "Forgiveness.h"

#include "BucketSet.h"
#include "RouteSearch.h"
#include "SearchPilot.h"

#include <algorithm>
#include <deque>
#include <limits>
#include <queue>

namespace forgiveness {

namespace {

// How much a cell of walking distance to the exit weighs against a step
// already spent, in steps per cell. Above one the planner leans on the
// distance and finds a way out quickly rather than the quickest way; the
// routes it finds run a few percent slower than the route search's.
constexpr int64_t stepsPerCell = 4;
constexpr int32_t directionChoices = 3; // neither, left, right: a person never holds both
constexpr int32_t longestStay = 64;     // steps a state may go on inside its own bucket
constexpr uint64_t attemptMixer = 0x9e3779b97f4a7c15ull;

// Input bits of a planned step.
constexpr uint8_t leftBit = 1;
constexpr uint8_t rightBit = 2;
constexpr uint8_t jumpBit = 4;

struct Node {
    float x = 0.0f;
    float y = 0.0f;
    float vx = 0.0f;
    float vy = 0.0f;
    uint32_t parent = 0;
    int32_t steps = 0;      // from the start of the plan
    uint16_t sincePress = 0;
    uint8_t recovery = 0;
    uint64_t key = 0;       // its bucket
    uint8_t input = 0;      // of the step that made it
    uint8_t stay = 0;       // steps it has stayed in its bucket
    bool wallKick = false;
};

// The same freedom the route search keeps per bucket: larger when the next
// press may come sooner.
uint16_t freedom(const Node& node, int32_t pressGap)
{
    const int32_t gapWait = std::max(pressGap - node.sincePress, 0);
    const int32_t bodyWait = std::max(node.recovery - 1, 0);
    return static_cast<uint16_t>(std::numeric_limits<uint16_t>::max() - std::max(gapWait, bodyWait));
}

// splitmix64: small, and the same numbers everywhere, unlike the standard
// library's distributions.
class Offsets {
public:
    explicit Offsets(uint64_t seed) : state(seed) {}
    int32_t next(int32_t spread)
    {
        state += attemptMixer;
        uint64_t z = state;
        z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ull;
        z = (z ^ (z >> 27)) * 0x94d049bb133111ebull;
        z ^= z >> 31;
        return static_cast<int32_t>(z % static_cast<uint64_t>(2 * spread + 1)) - spread;
    }

private:
    uint64_t state;
};

} // namespace

Planner::Planner(const LevelGrid& grid, int32_t exitRow, bool needsWin, int32_t pressGap, int64_t nodeLimit)
    : grid(grid), exitRow(exitRow), needsWin(needsWin), pressGap(std::max(pressGap, 1)), nodeLimit(nodeLimit)
{
    const int32_t width = grid.getWidth();
    const int32_t height = grid.getHeight();
    cellsToExit.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), -1);
    // Walked from the exit back through open cells; a stretch that must be
    // won aims at its own top row, where its shaft ends.
    const int32_t topRow = needsWin ? exitRow : exitRow - 1;
    std::deque<std::pair<int32_t, int32_t>> open;
    if (topRow >= 0 && topRow < height) {
        for (int32_t column = 0; column < width; ++column) {
            if (!grid.solid(column, topRow)) {
                cellsToExit[static_cast<std::size_t>(topRow) * width + column] = 0;
                open.emplace_back(column, topRow);
            }
        }
    }
    while (!open.empty()) {
        const auto [column, row] = open.front();
        open.pop_front();
        const int32_t distance = cellsToExit[static_cast<std::size_t>(row) * width + column];
        for (const auto& [dc, dr] : {std::pair{1, 0}, std::pair{-1, 0}, std::pair{0, 1}, std::pair{0, -1}}) {
            const int32_t c = column + dc;
            const int32_t r = row + dr;
            if (c < 0 || r < topRow || c >= width || r >= height || grid.solid(c, r)) {
                continue;
            }
            int32_t& next = cellsToExit[static_cast<std::size_t>(r) * width + c];
            if (next < 0) {
                next = distance + 1;
                open.emplace_back(c, r);
            }
        }
    }
}

bool Planner::out(const PilotBody& body) const
{
    return body.flightSpeed() >= PilotBody::winningFlightSpeed || (!needsWin && body.y < static_cast<float>(exitRow));
}

bool Planner::plan(const PilotBody& from, int32_t framesSincePress, Route& route) const
{
    route.clear();
    const int32_t width = grid.getWidth();
    // The pilot's box overlaps up to four cells and its own (top left) one
    // may be solid: the nearest of them counts.
    const auto distance = [&](float x, float y) -> int32_t {
        if (x < 0.0f || y < 0.0f) {
            return -1;
        }
        const auto column = static_cast<int32_t>(x);
        const auto row = static_cast<int32_t>(y);
        int32_t nearest = -1;
        for (const int32_t c : {column, column + 1}) {
            for (const int32_t r : {row, row + 1}) {
                if (c < width && r < grid.getHeight()) {
                    const int32_t cells = cellsToExit[static_cast<std::size_t>(r) * width + c];
                    nearest = cells >= 0 && (nearest < 0 || cells < nearest) ? cells : nearest;
                }
            }
        }
        return nearest;
    };
    std::vector<Node> nodes;
    Node start;
    keepPilot(from, start);
    start.sincePress = static_cast<uint16_t>(std::clamp(framesSincePress, 0, pressGap));
    start.key = RouteSearch::bucketOf(start.x, start.y, start.vx, start.vy, start.wallKick);
    nodes.push_back(start);
    BucketSet visited;
    visited.improve(start.key, freedom(start, pressGap));
    // Smallest estimate first, the earlier-made node among equals.
    using Entry = std::pair<int64_t, uint32_t>;
    std::priority_queue<Entry, std::vector<Entry>, std::greater<>> queue;
    if (distance(start.x, start.y) < 0) {
        return false;
    }
    queue.emplace(stepsPerCell * distance(start.x, start.y), 0);
    uint32_t goal = 0;
    bool found = false;
    while (!queue.empty() && !found && static_cast<int64_t>(nodes.size()) < nodeLimit) {
        const uint32_t at = queue.top().second;
        queue.pop();
        const Node parent = nodes[at];
        const auto cx = static_cast<int32_t>(parent.x);
        const auto cy = static_cast<int32_t>(parent.y);
        // A press only does something on the ground or beside a wall.
        const bool pressUseful = (grid.solid(cx, cy + 1) || grid.solid(cx + 1, cy) || grid.solid(cx - 1, cy)) &&
                                 parent.sincePress >= pressGap && parent.recovery <= 1;
        for (int press = pressUseful ? 1 : 0; press >= 0 && !found; --press) {
            for (int32_t choice = 0; choice < directionChoices; ++choice) {
                PilotBody body = pilotOf(parent, press != 0);
                PilotInput input;
                input.left = choice == 1 ? 1 : 0;
                input.right = choice == 2 ? 1 : 0;
                body.update(input, grid);
                Node child;
                keepPilot(body, child);
                child.sincePress =
                    static_cast<uint16_t>(press != 0 ? 1 : std::min<int32_t>(parent.sincePress + 1, pressGap));
                child.parent = at;
                child.steps = parent.steps + 1;
                child.input = static_cast<uint8_t>((choice == 1 ? leftBit : 0) | (choice == 2 ? rightBit : 0) |
                                                   (press != 0 ? jumpBit : 0));
                if (out(body)) {
                    nodes.push_back(child);
                    goal = static_cast<uint32_t>(nodes.size() - 1);
                    found = true;
                    break;
                }
                const int32_t left = distance(child.x, child.y);
                if (left < 0) {
                    continue;
                }
                child.key = RouteSearch::bucketOf(child.x, child.y, child.vx, child.vy, child.wallKick);
                if (child.key == parent.key) {
                    // Slower than its bucket is wide: it would merge into
                    // itself and stop, so it goes on alone for a while,
                    // holding what it held, as in the route search.
                    if (press != 0 || (child.input & (leftBit | rightBit)) != (parent.input & (leftBit | rightBit)) ||
                        parent.stay >= longestStay) {
                        continue;
                    }
                    child.stay = static_cast<uint8_t>(parent.stay + 1);
                } else if (!visited.improve(child.key, freedom(child, pressGap))) {
                    continue;
                }
                nodes.push_back(child);
                queue.emplace(child.steps + stepsPerCell * left, static_cast<uint32_t>(nodes.size() - 1));
            }
        }
    }
    if (!found) {
        return false;
    }
    for (uint32_t at = goal; at != 0; at = nodes[at].parent) {
        const uint8_t input = nodes[at].input;
        route.push_back(RouteStep{(input & leftBit) != 0, (input & rightBit) != 0, (input & jumpBit) != 0});
    }
    std::reverse(route.begin(), route.end());
    return true;
}

Result measure(const LevelGrid& grid, const Stretch& stretch, const Options& options)
{
    const Planner planner(grid, stretch.exitRow, stretch.needsWin, options.pressGap, options.planNodeLimit);
    const int32_t spread = std::max(options.spread, 0);
    Result result;
    Route route;
    // Every attempt starts with the same plan; its length sets the bound.
    if (!planner.plan(stretch.start, stretch.framesSincePress, route)) {
        result.attempts = options.attempts;
        result.noRoute = options.attempts;
        return result;
    }
    const auto stepLimit = static_cast<int32_t>(static_cast<float>(route.size()) * options.slack);
    const Route first = route;
    for (int32_t attempt = 0; attempt < options.attempts; ++attempt) {
        ++result.attempts;
        Offsets offsets(options.seed ^ (static_cast<uint64_t>(attempt) + 1) * attemptMixer);
        PilotBody body = stretch.start;
        int32_t sincePress = stretch.framesSincePress;
        int32_t steps = 0;
        route = first;
        bool planned = true; // `route` holds a plan from where the pilot is
        while (true) {
            if (planner.out(body)) {
                ++result.passed;
                break;
            }
            if (steps >= stepLimit) {
                ++result.outOfTime;
                break;
            }
            if (!planned) {
                ++result.plans;
                if (!planner.plan(body, sincePress, route)) {
                    ++result.noRoute;
                    break;
                }
            }
            planned = false;
            const auto press = std::find_if(route.begin(), route.end(), [](const RouteStep& step) { return step.jump; });
            const int64_t lastIndex = static_cast<int64_t>(route.size()) - 1;
            // No press left: the plan walks or falls out by itself.
            int64_t pressAt = -1;
            int64_t through = lastIndex;
            int64_t on = -1;
            if (press != route.end()) {
                on = press - route.begin();
                pressAt = std::max<int64_t>(on + offsets.next(spread), 0); // never before the plan's own start
                through = std::max(on, pressAt);
            }
            for (int64_t at = 0; at <= through && !planner.out(body) && steps < stepLimit; ++at) {
                const RouteStep& step = route[static_cast<std::size_t>(std::min(at, lastIndex))];
                if (at == pressAt) {
                    body.requestJump();
                    sincePress = 0;
                }
                body.update(routescript::inputOf(step), grid);
                ++steps;
                sincePress = std::min(sincePress + 1, options.pressGap);
            }
            if (pressAt >= 0 && pressAt == on && on < lastIndex && !planner.out(body)) {
                // On the beat: the rest of the plan still holds from here.
                route.erase(route.begin(), route.begin() + on + 1);
                planned = true;
            }
        }
    }
    return result;
}

} // namespace forgiveness
