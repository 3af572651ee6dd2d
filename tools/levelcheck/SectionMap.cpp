#include "SectionMap.h"

#include "base/RegularFile.h"
#include "base/TextNumber.h"

#include <optional>
#include <sstream>

namespace {

constexpr std::size_t largestSectionsFile = 16 << 20; // bytes of a text map read for its section lines

} // namespace

bool readSectionMap(const std::string& path, std::vector<MapSection>& sections, std::string& problem)
{
    const platform::FileBytes file = platform::readRegularFile(path, largestSectionsFile);
    if (!file.ok()) {
        problem = "cannot read the sections from " + path + ": " + file.reason();
        return false;
    }
    const std::string marker = "; section: rows ";
    std::istringstream lines(file.bytes);
    int32_t lineNumber = 0;
    const std::size_t before = sections.size();
    for (std::string line; std::getline(lines, line);) {
        ++lineNumber;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.rfind(marker, 0) != 0)
            continue;
        const std::size_t dash = line.find('-', marker.size());
        const std::size_t colon = line.find(": ", marker.size());
        std::optional<int> first;
        std::optional<int> last;
        if (dash != std::string::npos && colon != std::string::npos && dash < colon) {
            first = wholeInteger(line.substr(marker.size(), dash - marker.size()));
            last = wholeInteger(line.substr(dash + 1, colon - dash - 1));
        }
        if (!first || !last || *first > *last || colon + 2 >= line.size()) {
            problem = path + " line " + std::to_string(lineNumber) + ": a section line reads \"" + marker +
                      "FIRST-LAST: name\", with FIRST at most LAST";
            return false;
        }
        sections.push_back(MapSection{*first, *last, line.substr(colon + 2)});
    }
    if (sections.size() == before) {
        problem = path + " marks no section (lines \"" + marker + "FIRST-LAST: name\")";
        return false;
    }
    return true;
}
