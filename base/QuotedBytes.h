#pragma once
#include <cstddef>
#include <string>
#include <string_view>

// A file's bytes as they may appear in a message: in double quotes, with
// every byte a terminal could act on (control characters, escape sequences,
// anything outside printable ASCII) spelled out as \xHH, a backslash and a
// double quote with a backslash before them, so a shared file can neither retitle nor recolour the player's
// terminal nor make a message look like it ends early. At most `limit`
// bytes are shown; more are marked with "..." after the closing quote.
std::string quotedBytes(std::string_view bytes, std::size_t limit = 40);
