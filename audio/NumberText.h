#pragma once
#include <string_view>

// Decimal numbers at the start of a text, after leading white space; anything
// after the number is ignored. Independent of the C locale.
bool readLeadingInt(std::string_view text, int& value);
// Only finite values count as numbers.
bool readLeadingFloat(std::string_view text, float& value);
