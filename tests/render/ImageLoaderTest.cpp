#include "TestPictures.h"
#include "base/ImageLoader.h"
#include "base/PngChunkCheck.h"
#include <algorithm>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace testpictures;

namespace {

RgbaImage decode(const Bytes& bytes)
{
    ImageLoader loader;
    return loader.loadFromMemory(bytes.data(), static_cast<int32_t>(bytes.size()));
}

std::vector<uint8_t> pixelsOf(const RgbaImage& image)
{
    return std::vector<uint8_t>(image.pixels, image.pixels + static_cast<std::size_t>(image.width) * image.height * 4);
}

void expectEmpty(const RgbaImage& image)
{
    EXPECT_EQ(image.pixels, nullptr);
    EXPECT_EQ(image.width, 0);
    EXPECT_EQ(image.height, 0);
    delete[] image.pixels;
}

} // namespace

TEST(ImageDecoding, RgbaPngKeepsItsBytesTopRowFirst)
{
    const std::vector<uint8_t> samples = {1, 2, 3, 4, 5, 6, 7, 8,         // top row
                                          9, 10, 11, 12, 13, 14, 15, 255}; // bottom row
    const RgbaImage image = decode(encodePng(2, 2, rgba, samples));
    ASSERT_NE(image.pixels, nullptr);
    EXPECT_EQ(image.width, 2);
    EXPECT_EQ(image.height, 2);
    EXPECT_EQ(pixelsOf(image), samples);
    delete[] image.pixels;
}

TEST(ImageDecoding, RgbPngGetsOpaqueAlphaAndThreePixelRowsStayUnskewed)
{
    // 3 pixels × 3 bytes = 9 bytes a row: the decoder pads rows to 12.
    const std::vector<uint8_t> samples = {10, 11, 12, 20, 21, 22, 30, 31, 32,
                                          40, 41, 42, 50, 51, 52, 60, 61, 62};
    const RgbaImage image = decode(encodePng(3, 2, rgb, samples));
    ASSERT_NE(image.pixels, nullptr);
    EXPECT_EQ(image.width, 3);
    EXPECT_EQ(image.height, 2);
    const std::vector<uint8_t> expected = {10, 11, 12, 255, 20, 21, 22, 255, 30, 31, 32, 255,
                                           40, 41, 42, 255, 50, 51, 52, 255, 60, 61, 62, 255};
    EXPECT_EQ(pixelsOf(image), expected);
    delete[] image.pixels;
}

TEST(ImageDecoding, OnePixelPictureIsFourBytes)
{
    const RgbaImage image = decode(encodePng(1, 1, rgba, {200, 100, 50, 25}));
    ASSERT_NE(image.pixels, nullptr);
    EXPECT_EQ(image.width, 1);
    EXPECT_EQ(image.height, 1);
    EXPECT_EQ(pixelsOf(image), (std::vector<uint8_t>{200, 100, 50, 25}));
    delete[] image.pixels;
}

TEST(ImageDecoding, JpegKeepsItsColoursWithOpaqueAlpha)
{
    std::vector<uint8_t> samples;
    for (int i = 0; i < 16 * 8; ++i)
        samples.insert(samples.end(), {200, 40, 90});
    const RgbaImage image = decode(encodeJpeg(16, 8, samples, 100));
    ASSERT_NE(image.pixels, nullptr);
    EXPECT_EQ(image.width, 16);
    EXPECT_EQ(image.height, 8);
    for (int i = 0; i < 16 * 8; ++i) {
        EXPECT_NEAR(image.pixels[i * 4 + 0], 200, 4);
        EXPECT_NEAR(image.pixels[i * 4 + 1], 40, 4);
        EXPECT_NEAR(image.pixels[i * 4 + 2], 90, 4);
        EXPECT_EQ(image.pixels[i * 4 + 3], 255);
    }
    delete[] image.pixels;
}

TEST(ImageDecoding, OneByteFormatsGiveTheEmptyImage)
{
    expectEmpty(decode(encodePng(2, 2, paletted, {0, 1, 1, 0})));
    expectEmpty(decode(encodePng(2, 2, grey, {0, 64, 128, 255})));
}

TEST(ImageDecoding, BrokenInputGivesTheEmptyImage)
{
    const Bytes whole = encodePng(4, 4, rgba, std::vector<uint8_t>(64, 7));
    const Bytes half(whole.begin(), whole.begin() + static_cast<long>(whole.size() / 2));
    expectEmpty(decode(half));
    // Cut just before the end chunk's CRC.
    const Bytes nearlyWhole(whole.begin(), whole.end() - 1);
    expectEmpty(decode(nearlyWhole));
    expectEmpty(decode(Bytes{'n', 'o', 't', ' ', 'a', ' ', 'p', 'i', 'c'}));

    ImageLoader loader;
    expectEmpty(loader.loadFromMemory(nullptr, 100));
    expectEmpty(loader.loadFromMemory(whole.data(), 0));
    expectEmpty(loader.loadFromMemory(whole.data(), -5));
}

TEST(ImageDecoding, ChunkDeclaringMoreThanTheDataIsRefusedBeforeDecoding)
{
    // A valid header, then a data chunk that claims 50 MB but holds 16 bytes.
    Bytes crafted = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    const Bytes header = pngChunk("IHDR", Bytes{0, 0, 0x10, 0, 0, 0, 0x10, 0, 8, 6, 0, 0, 0});
    crafted.insert(crafted.end(), header.begin(), header.end());
    crafted.insert(crafted.end(), {0x02, 0xFA, 0xF0, 0x80, 'I', 'D', 'A', 'T'});
    crafted.insert(crafted.end(), 16, 0x55);

    EXPECT_FALSE(pngcheck::isSafeToDecode(crafted.data(), crafted.size()));
    expectEmpty(decode(crafted));
}

TEST(ImageDecoding, ChunkWalkAcceptsExactFitAndRejectsHugeOrMissingHeader)
{
    const Bytes good = encodePng(2, 2, rgba, std::vector<uint8_t>(16, 1));
    EXPECT_TRUE(pngcheck::isSafeToDecode(good.data(), good.size()));
    // Trailing bytes after the end chunk do no harm.
    Bytes trailing = good;
    trailing.insert(trailing.end(), {1, 2, 3});
    EXPECT_TRUE(pngcheck::isSafeToDecode(trailing.data(), trailing.size()));
    // Neither PNG nor JPEG: not the walk's to judge.
    const Bytes other = {'G', 'I', 'F', '8'};
    EXPECT_TRUE(pngcheck::isSafeToDecode(other.data(), other.size()));

    // 100000 × 100000 pixels would ask for 40 GB.
    Bytes huge = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    const Bytes header = pngChunk("IHDR", Bytes{0, 1, 0x86, 0xA0, 0, 1, 0x86, 0xA0, 8, 6, 0, 0, 0});
    huge.insert(huge.end(), header.begin(), header.end());
    const Bytes end = pngChunk("IEND", Bytes{});
    huge.insert(huge.end(), end.begin(), end.end());
    EXPECT_FALSE(pngcheck::isSafeToDecode(huge.data(), huge.size()));
    expectEmpty(decode(huge));

    // The signature alone, and a first chunk that is not the header.
    EXPECT_FALSE(pngcheck::isSafeToDecode(good.data(), 8));
    Bytes headless(good.begin(), good.begin() + 8);
    const Bytes endOnly = pngChunk("IEND", Bytes{});
    headless.insert(headless.end(), endOnly.begin(), endOnly.end());
    EXPECT_FALSE(pngcheck::isSafeToDecode(headless.data(), headless.size()));
}

TEST(ImageDecoding, FilesDecodeLikeMemoryAndMissingOnesGiveTheEmptyImage)
{
    const std::string folder = tempFolder();
    const std::string path = folder + "/level.png";
    writeFile(path, encodePng(2, 1, rgb, {1, 2, 3, 4, 5, 6}));
    ImageLoader loader;
    const RgbaImage image = loader.loadFromFile(path);
    ASSERT_NE(image.pixels, nullptr);
    EXPECT_EQ(image.width, 2);
    EXPECT_EQ(image.height, 1);
    EXPECT_EQ(pixelsOf(image), (std::vector<uint8_t>{1, 2, 3, 255, 4, 5, 6, 255}));
    delete[] image.pixels;

    expectEmpty(loader.loadFromFile(folder + "/missing.png"));
    expectEmpty(loader.loadFromFile(folder)); // a folder, not a picture
    expectEmpty(loader.loadFromFile(""));
    writeFile(folder + "/empty.png", Bytes{});
    expectEmpty(loader.loadFromFile(folder + "/empty.png"));
    std::filesystem::remove_all(folder);
}

TEST(ImageDecoding, SixteenBitAndGreyWithAlphaPngsLoadAsTheyAlwaysHave)
{
    // Sixteen-bit samples keep their high byte; grey with alpha turns into
    // grey red, green and blue. Levels painted this way must keep loading.
    const RgbaImage rgb16 = decode(encodePng(2, 1, rgb, {0xFF, 0x01, 0x0A, 0xFF, 0x14, 0x00, 0xE0, 0x80, 0x00, 0x7F, 0xFE, 0xFF}, 16));
    ASSERT_NE(rgb16.pixels, nullptr);
    EXPECT_EQ(pixelsOf(rgb16), (std::vector<uint8_t>{0xFF, 0x0A, 0x14, 255, 0xE0, 0x00, 0xFE, 255}));
    delete[] rgb16.pixels;

    const RgbaImage rgba16 = decode(encodePng(1, 1, rgba, {0x20, 0xFF, 0x40, 0x00, 0x60, 0x00, 0x80, 0x01}, 16));
    ASSERT_NE(rgba16.pixels, nullptr);
    EXPECT_EQ(pixelsOf(rgba16), (std::vector<uint8_t>{0x20, 0x40, 0x60, 0x80}));
    delete[] rgba16.pixels;

    const RgbaImage greyAlpha8 = decode(encodePng(2, 1, greyAlpha, {255, 0, 32, 200}));
    ASSERT_NE(greyAlpha8.pixels, nullptr);
    EXPECT_EQ(pixelsOf(greyAlpha8), (std::vector<uint8_t>{255, 255, 255, 0, 32, 32, 32, 200}));
    delete[] greyAlpha8.pixels;

    const RgbaImage greyAlpha16 = decode(encodePng(1, 1, greyAlpha, {0xE0, 0x33, 0xFF, 0xFF}, 16));
    ASSERT_NE(greyAlpha16.pixels, nullptr);
    EXPECT_EQ(pixelsOf(greyAlpha16), (std::vector<uint8_t>{0xE0, 0xE0, 0xE0, 0xFF}));
    delete[] greyAlpha16.pixels;

    // Grey without alpha stays refused, in 16 bits as in 8.
    expectEmpty(decode(encodePng(1, 1, grey, {0xFF, 0xFF}, 16)));
}

TEST(ImageDecoding, JpegShiftsEvenAFlatColourSoCellValuesChange)
{
    // Why a level should not be a JPEG: a field of red 224 (a burning block)
    // beside red 255 (open space) does not come back as exactly those two
    // values.
    std::vector<uint8_t> samples;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            const uint8_t red = x < 8 ? 224 : 255;
            samples.insert(samples.end(), {red, 255, 255});
        }
    const RgbaImage image = decode(encodeJpeg(16, 16, samples, 90));
    ASSERT_NE(image.pixels, nullptr);
    int openTurnedSolid = 0;
    int burningLost = 0;
    for (int i = 0; i < 256; ++i) {
        const uint8_t painted = samples[static_cast<size_t>(i) * 3];
        const uint8_t decoded = image.pixels[i * 4];
        openTurnedSolid += painted == 255 && decoded != 255 ? 1 : 0;
        burningLost += painted == 224 && decoded != 224 ? 1 : 0;
    }
    delete[] image.pixels;
    EXPECT_GT(openTurnedSolid, 0);
    EXPECT_GT(burningLost, 0);
}

TEST(ImageDecoding, FifoOrDeviceInPlaceOfAPictureGivesTheEmptyImageAtOnce)
{
    const std::string folder = tempFolder();
    ASSERT_EQ(mkfifo((folder + "/fifo.png").c_str(), 0600), 0);
    std::filesystem::create_symlink("/dev/zero", folder + "/zero.png");
    ImageLoader loader;
    expectEmpty(loader.loadFromFile(folder + "/fifo.png"));
    expectEmpty(loader.loadFromFile(folder + "/zero.png"));
    expectEmpty(loader.loadFromFile("/dev/zero"));
    // Beyond 256 MiB nothing is read (sparse, so the test writes nothing).
    writeFile(folder + "/huge.png", encodePng(1, 1, rgb, {255, 255, 255}));
    std::filesystem::resize_file(folder + "/huge.png", 256u * 1024 * 1024 + 1);
    expectEmpty(loader.loadFromFile(folder + "/huge.png"));
    std::filesystem::remove_all(folder);
}

namespace {

// Offset of the first start-of-frame (baseline) marker of a JPEG.
std::size_t frameHeaderOffset(const Bytes& jpeg)
{
    for (std::size_t i = 2; i + 9 < jpeg.size(); ++i)
        if (jpeg[i] == 0xFF && jpeg[i + 1] == 0xC0)
            return i;
    return 0;
}

Bytes withFrameSize(Bytes jpeg, unsigned width, unsigned height)
{
    const std::size_t at = frameHeaderOffset(jpeg);
    jpeg[at + 5] = static_cast<unsigned char>(height >> 8);
    jpeg[at + 6] = static_cast<unsigned char>(height);
    jpeg[at + 7] = static_cast<unsigned char>(width >> 8);
    jpeg[at + 8] = static_cast<unsigned char>(width);
    return jpeg;
}

} // namespace

TEST(ImageDecoding, JpegDeclaringMorePixelsThanItsDataHoldsIsRefusedBeforeDecoding)
{
    // The decoder fills missing data with grey: without the check, these few
    // hundred bytes cost seconds and half a gigabyte.
    const Bytes small = encodeJpeg(3, 2, std::vector<uint8_t>(18, 128), 90);
    ASSERT_NE(frameHeaderOffset(small), 0u);
    EXPECT_TRUE(pngcheck::isSafeJpeg(small.data(), small.size()));
    const RgbaImage image = decode(small);
    EXPECT_EQ(image.width, 3);
    EXPECT_EQ(image.height, 2);
    delete[] image.pixels;

    const Bytes huge = withFrameSize(small, 8000, 8000);
    EXPECT_FALSE(pngcheck::isSafeJpeg(huge.data(), huge.size()));
    expectEmpty(decode(huge));
    // Height 0 is declared after the scan, where nothing is checked.
    const Bytes later = withFrameSize(small, 3, 0);
    EXPECT_FALSE(pngcheck::isSafeJpeg(later.data(), later.size()));
    const Bytes wide = withFrameSize(small, pngcheck::maxSide + 1, 1);
    EXPECT_FALSE(pngcheck::isSafeJpeg(wide.data(), wide.size()));
    // Cut before the frame header.
    EXPECT_FALSE(pngcheck::isSafeJpeg(small.data(), frameHeaderOffset(small)));
    expectEmpty(decode(Bytes(small.begin(), small.begin() + static_cast<long>(frameHeaderOffset(small)))));

    // The best a real JPEG compresses, one colour everywhere, stays far inside
    // the limit.
    const Bytes plain = encodeJpeg(1024, 1024, std::vector<uint8_t>(1024 * 1024 * 3, 40), 50);
    EXPECT_TRUE(pngcheck::isSafeJpeg(plain.data(), plain.size()));
}

TEST(ImageDecoding, OnlyPngAndJpegReachADecoder)
{
    // A GIF whose extension block is cut short: the library's GIF reader
    // loops on it for ever.
    expectEmpty(decode(Bytes{'G', 'I', 'F', '8', '9', 'a', 3, 0, 2, 0, 0xF0, 0, 0, 0xFF, 0, 0,
                             0, 0, 0xFF, '!', 0xF9, 'P', 0, ';'}));
    // A picture the library would read as three bytes a pixel.
    expectEmpty(decode(Bytes{'P', '6', '\n', '1', ' ', '1', '\n', '2', '5', '5', '\n', 1, 2, 3}));
}

TEST(ImageDecoding, ChunkWalkRefusesEveryCutOfAPng)
{
    // Each cut, inside a chunk header, its data or its CRC, is refused
    // before decoding.
    const Bytes good = encodePng(3, 2, rgb, std::vector<uint8_t>(18, 9));
    for (std::size_t length = 8; length < good.size(); ++length)
        EXPECT_FALSE(pngcheck::isSafeToDecode(good.data(), length)) << length;
    for (std::size_t length = 1; length < good.size(); ++length)
        expectEmpty(decode(Bytes(good.begin(), good.begin() + static_cast<long>(length))));
    // An ancillary chunk declaring more than the rest of the file.
    Bytes text(good.begin(), good.begin() + 33); // signature and header chunk
    text.insert(text.end(), {0x00, 0x10, 0x00, 0x00, 't', 'E', 'X', 't', 'k', 0, 'v'});
    const Bytes end = pngChunk("IEND", Bytes{});
    text.insert(text.end(), end.begin(), end.end());
    EXPECT_FALSE(pngcheck::isSafeToDecode(text.data(), text.size()));
    expectEmpty(decode(text));
}

TEST(ImageDecoding, JpegsOfMoreThan64ScansAreRefusedBeforeDecodingWithAReason)
{
    // A JPEG of 1,000 repeated scans took 12 s to decode and froze the game.
    const Bytes progressive = encodeJpeg(64, 48, std::vector<uint8_t>(64 * 48 * 3, 90), 90, true);
    const Bytes startOfScan = {0xFF, 0xDA}; // the last scan is copied before the end marker
    const auto last = std::find_end(progressive.begin(), progressive.end(), startOfScan.begin(), startOfScan.end());
    const std::string folder = tempFolder();
    const std::pair<int, int> cases[] = {{0, 10}, {54, 64}, {55, 65}, {1000, 1010}}; // copies, scans
    for (const auto& [copies, scans] : cases) {
        Bytes jpeg(progressive.begin(), progressive.end() - 2);
        for (int i = 0; i < copies; ++i)
            jpeg.insert(jpeg.end(), last, progressive.end() - 2);
        jpeg.insert(jpeg.end(), {0xFF, 0xD9});
        writeFile(folder + "/level.png", jpeg);
        std::string refusal;
        const RgbaImage image = ImageLoader().loadFromFile(folder + "/level.png", &refusal);
        EXPECT_EQ(image.width, scans <= 64 ? 64 : 0) << copies;
        EXPECT_EQ(refusal, scans <= 64 ? "" : "a JPEG of more than 64 scans, too many to decode") << copies;
        delete[] image.pixels;
    }
    std::filesystem::remove_all(folder);
}
