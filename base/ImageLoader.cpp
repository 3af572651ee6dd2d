#include "base/ImageLoader.h"
#include "base/RegularFile.h"
#include "base/PngChunkCheck.h"
#include <SDL/SDL.h>
#include <SDL/SDL_image.h>
#include <cstring>
#include <string>

namespace {

// Normalises a decoded surface into the empty image or an RGBA copy.
RgbaImage copySurface(SDL_Surface* surface, bool jpeg, std::string& refusal)
{
    RgbaImage result{nullptr, 0, 0};
    if (surface == nullptr) {
        refusal = std::string(jpeg ? "the JPEG" : "the PNG") + " decoder stopped: " + SDL_GetError();
        return result;
    }
    SDL_LockSurface(surface);
    const int bytesPerPixel = surface->format->BytesPerPixel;
    const int width = surface->w;
    const int height = surface->h;
    if (jpeg && bytesPerPixel == 4) {
        // The decoder hands four-component JPEGs over as raw CMYK bytes: read
        // as RGBA they would turn open space solid and back.
        refusal = "a CMYK JPEG; save it as RGB or greyscale";
    } else if ((bytesPerPixel == 4 || bytesPerPixel == 3) && width > 0 && height > 0) {
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
    } else {
        refusal = "a paletted or grey picture, which decodes to " + std::to_string(bytesPerPixel) +
                  " byte(s) a pixel instead of 3 or 4";
    }
    SDL_UnlockSurface(surface);
    SDL_FreeSurface(surface);
    return result;
}

} // namespace

RgbaImage ImageLoader::loadFromMemory(const unsigned char* data, int32_t length, std::string* refusal)
{
    std::string why;
    std::string& reason = refusal != nullptr ? *refusal : why;
    if (data == nullptr || length <= 0) {
        reason = "the file is empty";
        return RgbaImage{nullptr, 0, 0};
    }
    reason = pngcheck::whyUnsafe(data, static_cast<std::size_t>(length));
    if (!reason.empty())
        return RgbaImage{nullptr, 0, 0};
    // Only the two formats the game holds and reads reach a decoder: the
    // library's other ones trust their input (a 24-byte GIF whose extension
    // block is cut short loops for ever), and a level file comes from anyone.
    const auto size = static_cast<std::size_t>(length);
    const bool png = pngcheck::hasPngSignature(data, size);
    const bool jpeg = pngcheck::hasJpegSignature(data, size);
    if (!png && !jpeg) {
        reason = "neither a PNG nor a JPEG picture";
        return RgbaImage{nullptr, 0, 0};
    }
    SDL_RWops* stream = SDL_RWFromConstMem(data, length);
    if (stream == nullptr) {
        reason = SDL_GetError();
        return RgbaImage{nullptr, 0, 0};
    }
    SDL_Surface* surface = png ? IMG_LoadPNG_RW(stream) : IMG_LoadJPG_RW(stream);
    SDL_RWclose(stream);
    return copySurface(surface, jpeg, reason);
}

RgbaImage ImageLoader::loadFromFile(const std::string& path, std::string* refusal)
{
    // Read the whole file first so its PNG chunks can be checked against its
    // real size; only regular files, so a FIFO or device cannot block us.
    const platform::FileBytes file = platform::readRegularFile(path, pngcheck::largestPictureFile);
    if (!file.ok()) {
        if (refusal != nullptr)
            *refusal = file.reason();
        return RgbaImage{nullptr, 0, 0};
    }
    const auto* bytes = reinterpret_cast<const unsigned char*>(file.bytes.data());
    return loadFromMemory(bytes, static_cast<int32_t>(file.bytes.size()), refusal);
}
