#pragma once
#include <cstdint>
#include <string>
#include <vector>

// The sections a level's text map marks with comment lines
// "; section: rows FIRST-LAST: name": the one reader of them, for levelcheck
// and for the tests that walk the shipped climb section by section.
struct MapSection {
    int32_t firstRow;
    int32_t lastRow;
    std::string name;
};

// Appends the sections of the map at `path` in the order it lists them (the
// shipped map lists them from the top of the picture down). False, with one
// line in `problem`, for a file that cannot be read, a section line of
// another form, or a map that marks no section.
bool readSectionMap(const std::string& path, std::vector<MapSection>& sections, std::string& problem);
