#include "base/ImageLoader.h"
#include "base/RegularFile.h"
#include "base/PngChunkCheck.h"
#include <SDL/SDL.h>
#include <SDL/SDL_image.h>
#include <cstring>
#include <string>

namespace {

// Bytes; a level of the largest size the decoder accepts fits many times over.
constexpr size_t largestPictureFile = 256 * 1024 * 1024;

// Normalises a decoded surface into the empty image or an RGBA copy.
RgbaImage copySurface(SDL_Surface* surface)
{
    RgbaImage result{nullptr, 0, 0};
    if (surface == nullptr)
        return result;
    SDL_LockSurface(surface);
    const int bytesPerPixel = surface->format->BytesPerPixel;
    const int width = surface->w;
    const int height = surface->h;
    if ((bytesPerPixel == 4 || bytesPerPixel == 3) && width > 0 && height > 0) {
        uint8_t* pixels = new uint8_t[static_cast<std::size_t>(width) * height * 4];
        const auto* source = static_cast<const uint8_t*>(surface->pixels);
        for (int row = 0; row < height; ++row) {
            // Rows start at pitch steps; the decoder may pad them.
            const uint8_t* in = source + static_cast<std::size_t>(row) * surface->pitch;
            uint8_t* out = pixels + static_cast<std::size_t>(row) * width * 4;
            if (bytesPerPixel == 4) {
                std::memcpy(out, in, static_cast<std::size_t>(width) * 4);
            } else {
                for (int x = 0; x < width; ++x) {
                    out[x * 4 + 0] = in[x * 3 + 0];
                    out[x * 4 + 1] = in[x * 3 + 1];
                    out[x * 4 + 2] = in[x * 3 + 2];
                    out[x * 4 + 3] = 255;
                }
            }
        }
        result = RgbaImage{pixels, width, height};
    }
    SDL_UnlockSurface(surface);
    SDL_FreeSurface(surface);
    return result;
}

} // namespace

RgbaImage ImageLoader::loadFromMemory(const unsigned char* data, int32_t length)
{
    if (data == nullptr || length <= 0)
        return RgbaImage{nullptr, 0, 0};
    if (!pngcheck::isSafeToDecode(data, static_cast<std::size_t>(length)))
        return RgbaImage{nullptr, 0, 0};
    // Only the two formats the game holds and reads reach a decoder: the
    // library's other ones trust their input (a 24-byte GIF whose extension
    // block is cut short loops for ever), and a level file comes from anyone.
    const auto size = static_cast<std::size_t>(length);
    const bool png = pngcheck::hasPngSignature(data, size);
    const bool jpeg = size >= 3 && data[0] == 0xFF && data[1] == 0xD8 && data[2] == 0xFF;
    if (!png && !jpeg)
        return RgbaImage{nullptr, 0, 0};
    SDL_RWops* stream = SDL_RWFromConstMem(data, length);
    if (stream == nullptr)
        return RgbaImage{nullptr, 0, 0};
    SDL_Surface* surface = png ? IMG_LoadPNG_RW(stream) : IMG_LoadJPG_RW(stream);
    SDL_RWclose(stream);
    return copySurface(surface);
}

RgbaImage ImageLoader::loadFromFile(const std::string& path, std::string* refusal)
{
    // Read the whole file first so its PNG chunks can be checked against its
    // real size; only regular files, so a FIFO or device cannot block us.
    const platform::FileBytes file = platform::readRegularFile(path, largestPictureFile);
    if (!file.ok() || file.bytes.empty())
        return RgbaImage{nullptr, 0, 0};
    const auto* bytes = reinterpret_cast<const unsigned char*>(file.bytes.data());
    if (pngcheck::jpegScanCount(bytes, file.bytes.size()) > pngcheck::maxJpegScans) {
        if (refusal != nullptr)
            *refusal = "a JPEG of more than " + std::to_string(pngcheck::maxJpegScans) + " scans, too many to decode";
        return RgbaImage{nullptr, 0, 0};
    }
    return loadFromMemory(bytes, static_cast<int32_t>(file.bytes.size()));
}
