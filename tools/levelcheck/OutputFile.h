#pragma once
#include <string>

// Writes a whole file or nothing: the bytes go to a temporary file beside it,
// which then replaces the target, so a full disk or a write error never
// leaves a half-written file or destroys the one that was there.
namespace outputfile {

bool write(const std::string& path, const std::string& bytes, std::string& error);
// True when both paths name the same existing file.
bool sameFile(const std::string& first, const std::string& second);

} // namespace outputfile
