#include "base/TextNumber.h"

#include <charconv>
#include <climits>
#include <cmath>

namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

std::string_view withoutLeadingBlanks(std::string_view text)
{
    size_t i = 0;
    while (i < text.size() && isBlank(text[i]))
        ++i;
    return text.substr(i);
}

} // namespace

std::optional<int> leadingInteger(std::string_view text)
{
    text = withoutLeadingBlanks(text);
    size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    if (i >= text.size() || text[i] < '0' || text[i] > '9')
        return std::nullopt;
    long long value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > static_cast<long long>(INT_MAX) + 1)
            value = static_cast<long long>(INT_MAX) + 1;
    }
    if (negative)
        value = -value;
    if (value > INT_MAX)
        value = INT_MAX;
    return static_cast<int>(value);
}

std::optional<bool> leadingBoolean(std::string_view text)
{
    const std::optional<int> value = leadingInteger(text);
    if (!value || (*value != 0 && *value != 1))
        return std::nullopt;
    return *value == 1;
}

std::optional<float> leadingFloat(std::string_view text)
{
    text = withoutLeadingBlanks(text);
    // from_chars takes no plus sign; the text formats allow one (but not a
    // plus followed by a minus).
    if (text.size() > 1 && text[0] == '+' && text[1] != '-')
        text.remove_prefix(1);
    float parsed = 0.0f;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), parsed);
    if (result.ec != std::errc() || !std::isfinite(parsed))
        return std::nullopt;
    return parsed;
}

std::optional<int> wholeInteger(std::string_view text)
{
    const std::size_t digits = !text.empty() && (text[0] == '+' || text[0] == '-') ? 1 : 0;
    if (digits == text.size())
        return std::nullopt;
    for (std::size_t i = digits; i < text.size(); ++i)
        if (text[i] < '0' || text[i] > '9')
            return std::nullopt;
    return leadingInteger(text);
}

std::optional<float> wholeFloat(std::string_view text)
{
    if (text.empty() || isBlank(text[0]))
        return std::nullopt;
    std::string_view number = text;
    if (number.size() > 1 && number[0] == '+' && number[1] != '-')
        number.remove_prefix(1);
    float parsed = 0.0f;
    const auto result = std::from_chars(number.data(), number.data() + number.size(), parsed);
    if (result.ec != std::errc() || result.ptr != number.data() + number.size() || !std::isfinite(parsed))
        return std::nullopt;
    return parsed;
}
