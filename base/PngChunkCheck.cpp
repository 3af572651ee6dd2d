#include "base/PngChunkCheck.h"
#include <cstdint>
#include <cstring>

namespace pngcheck {
namespace {

constexpr unsigned char signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
constexpr std::size_t chunkOverhead = 12; // length, type, CRC
constexpr std::size_t headerDataLength = 13;

uint32_t readBigEndian(const unsigned char* p)
{
    return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | uint32_t(p[3]);
}

uint32_t readBigEndian16(const unsigned char* p)
{
    return (uint32_t(p[0]) << 8) | uint32_t(p[1]);
}

// Start-of-frame markers: every JPEG coding process except the ones that are
// not frames (DHT C4, JPG C8, DAC CC).
bool isFrameMarker(unsigned char marker)
{
    return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

} // namespace

bool hasPngSignature(const unsigned char* data, std::size_t length)
{
    return data != nullptr && length >= sizeof signature && std::memcmp(data, signature, sizeof signature) == 0;
}

bool hasJpegSignature(const unsigned char* data, std::size_t length)
{
    return data != nullptr && length >= 3 && data[0] == 0xFF && data[1] == 0xD8 && data[2] == 0xFF;
}

bool isSafeJpeg(const unsigned char* data, std::size_t length)
{
    if (data == nullptr || length < 2 || data[0] != 0xFF || data[1] != 0xD8)
        return true;
    std::size_t offset = 2;
    // Segments up to the frame header all carry a length; the scan data that
    // would follow has none, so a scan or an end before the frame is refused.
    while (offset + 4 <= length) {
        if (data[offset] != 0xFF)
            return false;
        const unsigned char marker = data[offset + 1];
        if (marker == 0xFF) { // fill byte
            ++offset;
            continue;
        }
        if (marker == 0xD9 || marker == 0xDA || marker == 0xD8 || (marker >= 0xD0 && marker <= 0xD7) || marker == 0x01)
            return false;
        const std::size_t segmentLength = readBigEndian16(data + offset + 2);
        if (segmentLength < 2 || segmentLength > length - offset - 2)
            return false;
        if (isFrameMarker(marker)) {
            if (segmentLength < 8)
                return false;
            // Height 0 would be declared later, after the scan: refused.
            const uint32_t height = readBigEndian16(data + offset + 5);
            const uint32_t width = readBigEndian16(data + offset + 7);
            if (width == 0 || height == 0 || width > maxSide || height > maxSide)
                return false;
            const unsigned long long pixels = static_cast<unsigned long long>(width) * height;
            return pixels <= maxPixels && pixels <= maxJpegPixelsPerByte * length;
        }
        offset += 2 + segmentLength;
    }
    return false;
}

std::size_t jpegScanCount(const unsigned char* data, std::size_t length)
{
    if (data == nullptr || length < 2 || data[0] != 0xFF || data[1] != 0xD8)
        return 0;
    std::size_t scans = 0;
    std::size_t offset = 2;
    while (offset + 1 < length && scans <= maxJpegScans) {
        // Coded bytes, and stray ones, lie between markers: skipped.
        if (data[offset] != 0xFF) {
            ++offset;
            continue;
        }
        const unsigned char marker = data[offset + 1];
        if (marker == 0xFF) { // fill byte
            ++offset;
            continue;
        }
        // A stuffed zero, a restart marker or TEM: no segment follows.
        if (marker == 0x00 || marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) {
            offset += 2;
            continue;
        }
        if (marker == 0xD9 || offset + 4 > length)
            break;
        if (marker == 0xDA)
            ++scans;
        offset += 2 + readBigEndian16(data + offset + 2);
    }
    return scans;
}

bool isSafeToDecode(const unsigned char* data, std::size_t length)
{
    return whyUnsafe(data, length).empty();
}

std::string whyUnsafe(const unsigned char* data, std::size_t length)
{
    if (!isSafeJpeg(data, length))
        return "a JPEG whose frame header is missing or broken, or declares more than " + std::to_string(maxSide) +
               " pixels a side, 64 Mpixel, or more than its bytes can hold";
    if (jpegScanCount(data, length) > maxJpegScans)
        return "a JPEG of more than " + std::to_string(maxJpegScans) + " scans, too many to decode";
    if (!hasPngSignature(data, length))
        return {};
    std::size_t offset = sizeof signature;
    bool first = true;
    while (offset < length) {
        if (length - offset < chunkOverhead)
            return "a PNG cut short inside a chunk";
        const std::size_t dataLength = readBigEndian(data + offset);
        if (dataLength > length - offset - chunkOverhead)
            return "a PNG cut short: a chunk runs past the end of the file";
        const unsigned char* type = data + offset + 4;
        if (first) {
            // The header must come first; its size decides the allocation.
            if (std::memcmp(type, "IHDR", 4) != 0 || dataLength != headerDataLength)
                return "a PNG that does not start with its header chunk";
            const uint32_t width = readBigEndian(data + offset + 8);
            const uint32_t height = readBigEndian(data + offset + 12);
            if (width == 0 || height == 0 || width > maxSide || height > maxSide ||
                static_cast<unsigned long long>(width) * height > maxPixels)
                return "a PNG of " + std::to_string(width) + " x " + std::to_string(height) +
                       " pixels; pictures of 1 to " + std::to_string(maxSide) + " pixels a side and at most " +
                       std::to_string(maxPixels) + " pixels in all are read";
            first = false;
        }
        if (std::memcmp(type, "IEND", 4) == 0)
            return {};
        offset += chunkOverhead + dataLength;
    }
    return "a PNG cut short: its end chunk is missing";
}

} // namespace pngcheck
