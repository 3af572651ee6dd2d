#pragma once
#include "base/FilePath.h"

#include <string>

// The eight pitches (Hz) the melodic tracks index. Pitch files list one
// frequency per line; the table holds half of each, an octave lower.
class PitchTable {
public:
    static constexpr int size = 8;
    static constexpr size_t longestLine = 255;  // characters looked at per line

    // Draws one of the "txt" entries of `folder` that hold a pitch at random
    // and loads it. Each entry that cannot be read or holds no pitch prints
    // its one line and is passed over; without any "txt" entry one line says
    // so. Without a file to use, the table stays at 0.0.
    void loadRandomFile(const FilePath& folder);
    // Returns false, leaving the table as it was, and prints one line naming
    // the file when it cannot be read: missing, not a regular file (a FIFO or
    // a device), or larger than 64 KiB. A file read without a single pitch
    // above 0 Hz also prints one line, and sets the table to 0.0.
    bool loadFile(const std::string& path);

    float operator[](int index) const { return pitches[index]; }
    const float* values() const { return pitches; }

private:
    float pitches[size] = {};
};
