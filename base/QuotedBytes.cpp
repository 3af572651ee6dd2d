#include "base/QuotedBytes.h"

std::string quotedBytes(std::string_view bytes, std::size_t limit)
{
    constexpr char digits[] = "0123456789abcdef";
    std::string text = "\"";
    for (const char c : bytes.substr(0, limit)) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte == '"' || byte == '\\') {
            text += '\\';
            text += c;
        } else if (byte >= 0x20 && byte < 0x7f) {
            text += c;
        } else {
            text += "\\x";
            text += digits[byte >> 4];
            text += digits[byte & 0x0f];
        }
    }
    text += '"';
    if (bytes.size() > limit)
        text += "...";
    return text;
}
