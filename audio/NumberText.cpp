#include "audio/NumberText.h"

#include <charconv>
#include <cmath>

namespace {

std::string_view skipSpace(std::string_view text)
{
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t' || text[i] == '\r' || text[i] == '\n' ||
                               text[i] == '\v' || text[i] == '\f'))
        ++i;
    text.remove_prefix(i);
    // from_chars takes no plus sign; the text formats allow one.
    if (!text.empty() && text[0] == '+' && text.size() > 1 && text[1] != '-')
        text.remove_prefix(1);
    return text;
}

} // namespace

bool readLeadingInt(std::string_view text, int& value)
{
    text = skipSpace(text);
    int parsed = 0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), parsed);
    if (result.ec != std::errc())
        return false;
    value = parsed;
    return true;
}

bool readLeadingFloat(std::string_view text, float& value)
{
    text = skipSpace(text);
    float parsed = 0.0f;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), parsed);
    if (result.ec != std::errc() || !std::isfinite(parsed))
        return false;
    value = parsed;
    return true;
}
