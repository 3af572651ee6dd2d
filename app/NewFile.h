#pragma once
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

// The same, except that an entry at `path` is replaced in one rename: a
// reader sees the old file whole or the new one whole, never a mix, and a
// failed or killed write leaves the old one as it was.
int replaceFileWhole(const std::string& path, std::string_view bytes);

} // namespace platform
