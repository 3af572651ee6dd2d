#include "game/RouteScript.h"

#include "base/QuotedBytes.h"

namespace routescript {

namespace {
constexpr std::size_t quotedLength = 16; // bytes of a bad line shown in a message
} // namespace

void write(std::ostream& out, const Route& route)
{
    for (const RouteStep& step : route) {
        const char line[4] = {step.left ? 'L' : '-', step.right ? 'R' : '-', step.jump ? 'J' : '-', '\n'};
        out.write(line, 4);
    }
}

bool read(std::istream& in, Route& route, std::string& error, int64_t linesBefore)
{
    route.clear();
    std::string line;
    int64_t number = linesBefore;
    while (std::getline(in, line)) {
        ++number;
        if (!line.empty() && line.back() == '\r') {
            line.pop_back(); // written on another system
        }
        const bool valid = line.size() == 3 && (line[0] == 'L' || line[0] == '-') &&
                           (line[1] == 'R' || line[1] == '-') && (line[2] == 'J' || line[2] == '-');
        if (!valid) {
            error = "line " + std::to_string(number) + ": want three characters [L-][R-][J-], got " +
                    quotedBytes(line, quotedLength);
            return false;
        }
        route.push_back(RouteStep{line[0] == 'L', line[1] == 'R', line[2] == 'J'});
    }
    return true;
}

PilotInput inputOf(const RouteStep& step)
{
    PilotInput input;
    input.left = step.left ? 1 : 0;
    input.right = step.right ? 1 : 0;
    return input;
}

int64_t presses(const Route& route)
{
    int64_t count = 0;
    for (const RouteStep& step : route) {
        count += step.jump ? 1 : 0;
    }
    return count;
}

PilotInput apply(const RouteStep& step, PilotBody& body)
{
    body.jumpRequested = step.jump;
    return inputOf(step);
}

std::vector<PilotBody> replay(const LevelGrid& grid, float x, float y, const Route& route)
{
    std::vector<PilotBody> path;
    path.reserve(route.size());
    PilotBody body(x, y);
    for (const RouteStep& step : route) {
        body.update(apply(step, body), grid);
        path.push_back(body);
    }
    return path;
}

} // namespace routescript
