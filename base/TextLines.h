#pragma once
#include <string_view>

// Walks the bytes of a text file line by line, split at line feeds, as
// std::getline does: the line feed is not part of the line, and a line feed
// at the very end of the text starts no further line. A carriage return
// before a line feed stays part of the line.
class TextLines {
public:
    explicit TextLines(std::string_view text) : rest(text) {}

    // The next line; false (and `line` empty) once the text is used up.
    bool next(std::string_view& line)
    {
        line = {};
        endedWithLineFeed = false;
        if (rest.empty())
            return false;
        const size_t feed = rest.find('\n');
        if (feed == std::string_view::npos) {
            line = rest;
            rest = {};
        } else {
            line = rest.substr(0, feed);
            rest.remove_prefix(feed + 1);
            endedWithLineFeed = true;
        }
        return true;
    }

    // Whether the line last taken ended with a line feed.
    bool lineFeedAfter() const { return endedWithLineFeed; }

private:
    std::string_view rest;
    bool endedWithLineFeed = false;
};
