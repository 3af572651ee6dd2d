#pragma once
#include <cstddef>
#include <string>

// Walks the chunk list of PNG bytes without decoding them. The decoder trusts
// declared chunk lengths and can spend many seconds on a crafted file whose
// truncated chunk claims megabytes, so level files are vetted first. JPEG
// data gets the matching check of its frame size: the JPEG decoder fills
// missing data with grey instead of failing, so a few hundred bytes that
// declare 8000 × 8000 pixels would cost seconds and half a gigabyte.
namespace pngcheck {

// Largest picture side and pixel count we agree to decode.
constexpr unsigned maxSide = 16384;          // pixels
constexpr unsigned long long maxPixels = 1ull << 26; // 64 Mpixel, 256 MiB as RGBA
// Huffman-coded JPEG needs at least one bit per 8 × 8 block, so no real file
// holds more than 512 pixels per byte; twice that leaves room.
constexpr unsigned long long maxJpegPixelsPerByte = 1024;
// Each scan of a JPEG is one more pass over every block of the picture, and
// a scan can be a few bytes long: 1,000 repeated scans in 600 KB took 12 s
// to decode. Encoders write far fewer (libjpeg's progressive scripts 10 for
// colour, 6 for grey, 18 for four components). At this bound the largest
// picture costs about half as much again as with one scan.
constexpr std::size_t maxJpegScans = 64;

// Bytes; a level of the largest size the decoders accept fits many times over.
constexpr std::size_t largestPictureFile = 256 * 1024 * 1024;

bool hasPngSignature(const unsigned char* data, std::size_t length);
bool hasJpegSignature(const unsigned char* data, std::size_t length);

// True when the bytes are not PNG (another decoder will judge them) or when
// every chunk up to IEND lies inside the data and the header declares a
// sensible size; false for PNG data that would make the decoder run off, and
// for JPEG data that isSafeJpeg refuses or that holds more than maxJpegScans
// scans.
bool isSafeToDecode(const unsigned char* data, std::size_t length);
// Why isSafeToDecode refuses the bytes, in words for a message ("a PNG cut
// short: ..."); empty when it accepts them.
std::string whyUnsafe(const unsigned char* data, std::size_t length);

// For data starting like JPEG: true when a frame header comes before the scan
// data and its size is within the limits above and within what the data can
// hold. True for anything else.
bool isSafeJpeg(const unsigned char* data, std::size_t length);

// For data starting like JPEG: its start-of-scan markers, counted the way a
// decoder finds them (each scan's coded bytes skipped up to the next marker,
// until the end-of-image marker); counting stops after maxJpegScans + 1.
// 0 for anything else.
std::size_t jpegScanCount(const unsigned char* data, std::size_t length);

} // namespace pngcheck
