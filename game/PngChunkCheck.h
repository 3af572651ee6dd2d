#pragma once
#include <cstddef>

// Walks the chunk list of PNG bytes without decoding them. The decoder trusts
// declared chunk lengths and can spend many seconds on a crafted file whose
// truncated chunk claims megabytes, so level files are vetted first.
namespace pngcheck {

// Largest picture side and pixel count we agree to decode.
constexpr unsigned maxSide = 16384;          // pixels
constexpr unsigned long long maxPixels = 1ull << 26; // 64 Mpixel, 256 MiB as RGBA

bool hasPngSignature(const unsigned char* data, std::size_t length);

// True when the bytes are not PNG (another decoder will judge them) or when
// every chunk up to IEND lies inside the data and the header declares a
// sensible size; false for PNG data that would make the decoder run off.
bool isSafeToDecode(const unsigned char* data, std::size_t length);

} // namespace pngcheck
