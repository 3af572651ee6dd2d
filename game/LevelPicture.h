#pragma once
#include <cstdint>
#include <string>
#include <vector>

// A level picture file read down to what a level keeps: one byte per pixel,
// the red value, rows from the top. PNGs of every colour type and depth are
// read (a grey pixel's red is its grey level, a paletted one's the red of its
// palette entry; 16-bit values keep their high byte), since ordinary tools
// save a two-colour picture as 1-bit grey or as a palette; JPEGs through the
// picture decoder of the textures.
struct LevelPicture {
    std::vector<uint8_t> red;
    int32_t width = 0;
    int32_t height = 0;
    // Why the file gave no cells, in words for a message; empty on success.
    std::string refusal;

    static LevelPicture read(const std::string& path);
};
