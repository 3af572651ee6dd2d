#pragma once
#include <functional>
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
// The same for every file in `folder` that `ours` claims by the name it
// was being written to (the temporary's name without ".PID-N.tmp").
int removeStaleTemporariesIn(const std::string& folder, const std::function<bool(std::string_view name)>& ours);

// As createFileWhole, for a file kept up to date: the pieces, one after the
// other, become the file `path`, taking the place of a regular file there
// (which stays as it was when anything fails). A symbolic link at `path` is
// written through: the file it leads to is replaced (the temporary file then
// lies beside that file) and the link stays, as the player made it. Anything
// else at `path` (a folder, a FIFO, a device, a link to one) is refused with
// EINVAL before a byte is written; ELOOP for links that go round.
int replaceFileWhole(const std::string& path, std::initializer_list<std::string_view> pieces);

// Why replaceFileWhole's `error` for `path` happened, in words for a
// message: what stands in the file's place when it was refused ("a folder
// is in its place"), else the system's text for the error.
std::string replaceFailureText(const std::string& path, int error);

// True when both paths name the same existing file (through links too), or,
// when one is missing, the same place once their folders are resolved, so
// that two outputs "a.png" and "./a.png" are told apart before either exists.
bool sameFile(const std::string& first, const std::string& second);

} // namespace platform
