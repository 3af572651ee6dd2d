#pragma once
#include <string>

// levelcheck's outputs are written whole or not at all with
// platform::replaceFileWhole (base/NewFile.h); this asks before the search,
// which can take minutes, whether that could put a file there.
namespace outputfile {

// False, with the reason in `error`, for a FIFO, a device or a folder at
// `path`, and for a folder that is missing or cannot take a new file.
bool writable(const std::string& path, std::string& error);

} // namespace outputfile
