#pragma once
#include <ostream>
#include <string>
#include <vector>

// The level checker as a whole: reads the arguments (without the program
// name), checks the picture, searches it and writes the findings to `out`,
// one a line, and the progress of a long search to `progress`. Returns the
// exit status: 0 when a win exists, 1 when none, 2 when the picture or the
// arguments cannot be used or an output cannot be written.
namespace levelcheck {

constexpr int exitWin = 0;
constexpr int exitNoWin = 1;
constexpr int exitUnusable = 2;

int run(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& progress);

} // namespace levelcheck
