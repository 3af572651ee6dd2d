#pragma once
#include <string>

// Writes a whole file or nothing: the bytes go to a temporary file beside it
// (the game's own whole-file writer), which then replaces the target, so a
// full disk, a file-size limit or a write error never leaves a half-written
// file, a stray temporary one or destroys the file that was there.
namespace outputfile {

bool write(const std::string& path, const std::string& bytes, std::string& error);
// Whether `write` could put a file at `path` now, before any work is spent
// on it: false, with the reason in `error`, for a FIFO, a device or a folder
// there, and for a folder that is missing or cannot take a new file.
bool writable(const std::string& path, std::string& error);
// True when both paths name the same existing file, or the same place.
bool sameFile(const std::string& first, const std::string& second);

} // namespace outputfile
