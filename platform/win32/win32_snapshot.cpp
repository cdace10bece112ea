// Snapshots of what windows show, and PNG files of images.
#include "win32/win32_driver.h"
#include "win32/win32_gdi_table.h"
#include "win32/win32_window_table.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <png.h>

namespace Win32Driver {

Image Snapshot(HWND window) {
    Image image;
    const Win32WindowPtr w = Win32FindWindow(window);
    Win32DrawTarget t;
    if (!w)
        return image;
    std::lock_guard<std::recursive_mutex> lock(Win32GdiMutex());
    if (!Win32WindowSurface(window, &t))
        return image;
    const POINT size = Win32ClientSize(*w);
    image.m_width = size.x;
    image.m_height = size.y;
    image.m_pixels.resize(static_cast<size_t>(size.x) * static_cast<size_t>(size.y) * 4);
    uint8_t* out = image.m_pixels.data();
    for (int y = 0; y < size.y; ++y)
        for (int x = 0; x < size.x; ++x, out += 4) {
            const int dx = x + t.m_origin.x, dy = y + t.m_origin.y;
            // What the surface does not cover (outside the top-level window) reads white.
            const bool on = dx >= 0 && dy >= 0 && dx < t.m_width && dy < t.m_height;
            const uint32_t p = on ? t.m_pixels[dy * t.m_stride + dx] : 0xFFFFFFu;
            out[0] = static_cast<uint8_t>(p >> 16);
            out[1] = static_cast<uint8_t>(p >> 8);
            out[2] = static_cast<uint8_t>(p);
            out[3] = 0xFF;
        }
    return image;
}

bool WritePng(const std::string& path, const Image& image) {
    if (image.m_pixels.size() != static_cast<size_t>(std::max(image.m_width, 0)) *
                                     static_cast<size_t>(std::max(image.m_height, 0)) *
                                     static_cast<size_t>(std::max(image.m_channels, 0)))
        return false;
    return WritePng(path, image.m_width, image.m_height, image.m_channels, image.m_pixels.data());
}

namespace {

// The rows' distance for a PNG of those pixels; 0 when they make none.
size_t RowBytes(int width, int height, int channels, const uint8_t* pixels, size_t rowBytes) {
    if ((channels != 4 && channels != 1) || width <= 0 || height <= 0 || pixels == nullptr)
        return 0;
    const size_t row = static_cast<size_t>(width) * static_cast<size_t>(channels);
    if (rowBytes == 0)
        rowBytes = row;
    return rowBytes < row || rowBytes > static_cast<size_t>(INT32_MAX) ? 0 : rowBytes;
}

}  // namespace

bool WritePng(std::FILE* file, int width, int height, int channels, const uint8_t* pixels, size_t rowBytes,
              std::string* why) {
    rowBytes = RowBytes(width, height, channels, pixels, rowBytes);
    if (rowBytes == 0 || file == nullptr)
        return false;
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    png.width = static_cast<png_uint_32>(width);
    png.height = static_cast<png_uint_32>(height);
    png.format = channels == 4 ? PNG_FORMAT_RGBA : PNG_FORMAT_GRAY;
    // No row filters and a quick deflate: about a quarter of the default's
    // time for files two to three times larger, the same pixels.
    png.flags = PNG_IMAGE_FLAG_FAST;
    // libpng says "Write Error" where the system has words for the cause.
    errno = 0;
    bool ok = png_image_write_to_stdio(&png, file, 0, pixels, static_cast<png_int_32>(rowBytes), nullptr) != 0;
    int error = errno;
    // A full disk often shows only as the buffer is written out.
    if (ok && std::fflush(file) != 0) {
        ok = false;
        error = errno;
    }
    if (!ok && why)
        *why = error != 0 ? std::strerror(error) : png.message;
    png_image_free(&png);
    return ok;
}

bool WritePng(const std::string& path, int width, int height, int channels, const uint8_t* pixels,
              size_t rowBytes, std::string* why) {
    if (RowBytes(width, height, channels, pixels, rowBytes) == 0)
        return false;
    errno = 0;
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file && why)
        *why = std::strerror(errno);
    bool ok = file && WritePng(file, width, height, channels, pixels, rowBytes, why);
    if (file && std::fclose(file) != 0 && ok) {
        ok = false;
        if (why)
            *why = std::strerror(errno);
    }
    if (!ok && file)
        std::remove(path.c_str());
    return ok;
}

}  // namespace Win32Driver
