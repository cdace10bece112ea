#include "support/PngReader.h"

#include <png.h>

PngPixels ReadPng(const std::string& path) {
    PngPixels out;
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&png, path.c_str())) {
        out.m_error = png.message;
        return out;
    }
    const bool grey = (png.format & PNG_FORMAT_FLAG_COLOR) == 0 && (png.format & PNG_FORMAT_FLAG_ALPHA) == 0;
    png.format = grey ? PNG_FORMAT_GRAY : PNG_FORMAT_RGBA;
    std::vector<uint8_t> pixels(PNG_IMAGE_SIZE(png));
    if (!png_image_finish_read(&png, nullptr, pixels.data(), 0, nullptr)) {
        out.m_error = png.message;
        png_image_free(&png);
        return out;
    }
    out.m_width = static_cast<int>(png.width);
    out.m_height = static_cast<int>(png.height);
    out.m_channels = grey ? 1 : 4;
    out.m_pixels = std::move(pixels);
    return out;
}
