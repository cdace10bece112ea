// Reads PNG files back for tests, as RGBA or 8-bit grey rows.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct PngPixels {
    int m_width = 0;
    int m_height = 0;
    int m_channels = 0;  // 4 (RGBA) or 1 (grey); 0 when the file could not be read
    std::vector<uint8_t> m_pixels;
    std::string m_error;
};

// The file's pixels in its own layout: RGBA for colour, grey for grey.
PngPixels ReadPng(const std::string& path);
