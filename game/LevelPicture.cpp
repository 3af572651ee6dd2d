#include "game/LevelPicture.h"

#include "base/RegularFile.h"
#include "base/ImageLoader.h"
#include "base/PngChunkCheck.h"

#include <png.h>

#include <cstring>

namespace {

struct PngSource {
    const unsigned char* data;
    std::size_t length;
    std::size_t offset;
};

// Decoding buffers live outside the function that calls setjmp, so a jump
// back from the decoder skips no destructor and leaves no object unsure.
struct PngBuffers {
    std::vector<uint8_t> pixels; // one row, or the whole picture when interlaced
    std::vector<png_bytep> rows;
};

void readPngBytes(png_structp png, png_bytep out, png_size_t count)
{
    auto* source = static_cast<PngSource*>(png_get_io_ptr(png));
    if (count > source->length - source->offset)
        png_error(png, "the file ends inside the picture data");
    std::memcpy(out, source->data + source->offset, count);
    source->offset += count;
}

[[noreturn]] void stopPng(png_structp png, png_const_charp message)
{
    *static_cast<std::string*>(png_get_error_ptr(png)) = std::string("the PNG decoder stopped: ") + message;
    png_longjmp(png, 1);
}

// A damaged ancillary chunk (a text, a gamma) does not change the cells.
void ignorePngWarning(png_structp, png_const_charp) {}

// The chunk list has been checked (pngcheck) before this runs.
void decodePng(const unsigned char* data, std::size_t length, LevelPicture& picture, PngBuffers& buffers)
{
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &picture.refusal, stopPng, ignorePngWarning);
    png_infop info = png == nullptr ? nullptr : png_create_info_struct(png);
    if (info == nullptr) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        picture.refusal = "the PNG decoder could not start";
        return;
    }
    PngSource source{data, length, 0};
    if (setjmp(png_jmpbuf(png)) != 0) {
        png_destroy_read_struct(&png, &info, nullptr);
        picture.red.clear();
        picture.width = 0;
        picture.height = 0;
        return;
    }
    png_set_read_fn(png, &source, readPngBytes);
    png_set_user_limits(png, pngcheck::maxSide, pngcheck::maxSide);
    png_read_info(png, info);
    png_set_strip_16(png);
    png_set_strip_alpha(png);
    png_set_palette_to_rgb(png);
    png_set_expand_gray_1_2_4_to_8(png);
    const int passes = png_set_interlace_handling(png);
    png_read_update_info(png, info);
    const auto width = static_cast<std::size_t>(png_get_image_width(png, info));
    const auto height = static_cast<std::size_t>(png_get_image_height(png, info));
    const std::size_t channels = png_get_channels(png, info); // 1 grey or 3 RGB after the changes above
    const std::size_t rowBytes = png_get_rowbytes(png, info);
    picture.red.resize(width * height);
    // An interlaced picture arrives in passes over every row, so it needs
    // them all at once; any other one row at a time.
    const std::size_t heldRows = passes > 1 ? height : 1;
    buffers.pixels.resize(rowBytes * heldRows);
    buffers.rows.resize(heldRows);
    for (std::size_t row = 0; row < heldRows; ++row)
        buffers.rows[row] = buffers.pixels.data() + row * rowBytes;
    const auto keepRed = [&](std::size_t row, const uint8_t* pixels) {
        uint8_t* out = picture.red.data() + row * width;
        for (std::size_t x = 0; x < width; ++x)
            out[x] = pixels[x * channels];
    };
    if (passes > 1) {
        png_read_image(png, buffers.rows.data());
        for (std::size_t row = 0; row < height; ++row)
            keepRed(row, buffers.rows[row]);
    } else {
        for (std::size_t row = 0; row < height; ++row) {
            png_read_row(png, buffers.rows[0], nullptr);
            keepRed(row, buffers.rows[0]);
        }
    }
    png_destroy_read_struct(&png, &info, nullptr);
    picture.width = static_cast<int32_t>(width);
    picture.height = static_cast<int32_t>(height);
}

} // namespace

LevelPicture LevelPicture::read(const std::string& path)
{
    LevelPicture picture;
    // Read whole first, and only a regular file, so a FIFO or a device cannot
    // block the game and the PNG chunks can be checked against the real size.
    const platform::FileBytes file = platform::readRegularFile(path, pngcheck::largestPictureFile);
    if (!file.ok()) {
        picture.refusal = file.reason();
        return picture;
    }
    const auto* bytes = reinterpret_cast<const unsigned char*>(file.bytes.data());
    const std::size_t size = file.bytes.size();
    if (!pngcheck::hasPngSignature(bytes, size)) {
        const RgbaImage image =
            ImageLoader().loadFromMemory(size == 0 ? nullptr : bytes, static_cast<int32_t>(size), &picture.refusal);
        if (image.pixels != nullptr) {
            picture.red.resize(static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height));
            for (std::size_t i = 0; i < picture.red.size(); ++i)
                picture.red[i] = image.pixels[i * 4];
            picture.width = image.width;
            picture.height = image.height;
        }
        delete[] image.pixels;
        return picture;
    }
    picture.refusal = pngcheck::whyUnsafe(bytes, size);
    if (!picture.refusal.empty())
        return picture;
    PngBuffers buffers;
    decodePng(bytes, size, picture, buffers);
    return picture;
}
