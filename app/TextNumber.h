#pragma once
#include <optional>
#include <string_view>

// Reads a signed decimal integer from the start of a text, white space first
// allowed, anything after the digits ignored; nothing without digits. Values
// beyond the int range are clamped rather than wrapped.
std::optional<int> leadingInteger(std::string_view text);

// A boolean written as the integer 0 or 1; nothing for any other value.
std::optional<bool> leadingBoolean(std::string_view text);
