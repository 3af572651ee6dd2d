#pragma once
#include <string>
#include <vector>

// Builds the text of a patch file: 22 free lines, the count at column 26 of
// line 23, two free lines, one value line per entry, then the closing line.
inline std::string patchText(const std::string& countText, const std::vector<std::string>& valueLines,
                             bool closed = true, const std::string& lineEnd = "\n")
{
    std::string text;
    for (int i = 1; i <= 22; ++i)
        text += "// free text line " + std::to_string(i) + lineEnd;
    text += "01234567890123456789012345" + countText + lineEnd;  // 26 characters before the count
    text += "skipped" + lineEnd + "{" + lineEnd;
    for (const std::string& line : valueLines)
        text += line + lineEnd;
    if (closed)
        text += "};" + lineEnd;
    return text;
}

inline std::vector<std::string> valueLines(const std::vector<float>& values)
{
    std::vector<std::string> lines;
    for (float v : values)
        lines.push_back("    " + std::to_string(v) + "f,");
    return lines;
}
