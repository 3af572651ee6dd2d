#pragma once
#include <initializer_list>
#include <string>
#include <string_view>

namespace platform {

// Creates the file `path` holding exactly `bytes`, or leaves nothing behind.
// The bytes go to a temporary file beside it, which is flushed to the disk
// and only then given its name, so a full disk, a file-size limit or a crash
// never leaves a short file under that name. An entry already at `path` (a
// dangling link included) is never replaced. 0 on success, else the errno of
// the step that failed (EEXIST when an entry is there).
int createFileWhole(const std::string& path, std::string_view bytes);

// Removes the temporary files that createFileWhole for `path` left behind
// when its process was killed mid-write: regular files beside `path` named
// exactly as it names them ("NAME.PID-N.tmp") whose process is gone. A live
// process's file, links and every other name are left alone. Prints one
// line for each file removed; returns how many were.
int removeStaleTemporaries(const std::string& path);

// As createFileWhole, for a tool's output: the pieces, one after the other,
// become the file `path`, taking the place of a regular file there (which
// stays as it was when anything fails). Anything else at `path` (a folder,
// a FIFO, a device, a link to one) is refused with EINVAL before a byte is
// written.
int replaceFileWhole(const std::string& path, std::initializer_list<std::string_view> pieces);

// True when both paths name the same existing file (through links too).
bool sameFile(const std::string& first, const std::string& second);

} // namespace platform
