#pragma once
#include <optional>
#include <string_view>

// The numbers every text format of the game holds: the settings file, the
// command line, patch files and pitch files. Each is read from the start of a
// text after leading white space (space, tab, line feed, vertical tab, form
// feed, carriage return); anything after the number is ignored. A plus sign is
// allowed, as is a minus sign. Independent of the C locale.

// A signed decimal integer; nothing without digits. Values beyond the int
// range are clamped rather than wrapped, so a huge number stays huge.
std::optional<int> leadingInteger(std::string_view text);

// A boolean written as the integer 0 or 1; nothing for any other value.
std::optional<bool> leadingBoolean(std::string_view text);

// A decimal floating-point number; only finite values count, so "inf", "nan"
// and numbers beyond the float range give nothing.
std::optional<float> leadingFloat(std::string_view text);

// The same for a word that must be the number and nothing else, such as a
// command-line value: no blanks, nothing after it. Integers clamp as above,
// so a value far out of range still reads as out of range, not as no number.
std::optional<int> wholeInteger(std::string_view text);
std::optional<float> wholeFloat(std::string_view text);
