#pragma once
#include <cstddef>
#include <string>

namespace platform {

// What reading a data file gave: all of its bytes, or why there are none.
struct FileBytes {
    enum class Refusal {
        none,           // the bytes are the whole file
        cannotOpen,     // missing, no permission ...: see error
        notRegularFile, // a directory, FIFO, device or socket
        tooLarge,       // more bytes than the reader's bound
        cannotRead,     // opened, but reading failed: see error
    };

    std::string bytes;
    Refusal refusal = Refusal::none;
    int error = 0;      // errno of a failed open or read
    size_t limit = 0;   // the bound the file was held to, bytes

    bool ok() const { return refusal == Refusal::none; }
    // Why there are no bytes, in words for a message ("not a regular file",
    // "larger than 65536 bytes", or the system's text for the error).
    std::string reason() const;
};

// Reads a whole regular file of at most `limit` bytes. Anything else is
// refused without being read: a FIFO or device could block the caller for
// ever or never end. Opening never waits (a FIFO swapped in after the check
// opens without a writer), and at most `limit` + 1 bytes are ever read, even
// from a file that grows meanwhile.
FileBytes readRegularFile(const std::string& path, size_t limit);

} // namespace platform
