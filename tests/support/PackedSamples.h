// Image and sample data packed as PDF stores it.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

// Rows of width × components samples of bits each, packed from the most
// significant bit, every row padded to a whole byte.
inline std::string Packed(int width, int height, int components, int bits,
                          const std::function<int(int x, int y, int c)>& sample) {
    std::string packed;
    for (int y = 0; y < height; ++y) {
        uint32_t pending = 0;
        int count = 0;
        for (int x = 0; x < width; ++x)
            for (int c = 0; c < components; ++c) {
                pending = (pending << bits) | static_cast<uint32_t>(sample(x, y, c));
                for (count += bits; count >= 8; count -= 8)
                    packed += static_cast<char>(pending >> (count - 8));
            }
        if (count > 0)
            packed += static_cast<char>(pending << (8 - count));
    }
    return packed;
}
