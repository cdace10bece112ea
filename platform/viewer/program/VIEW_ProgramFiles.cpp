#include "viewer/program/VIEW_ProgramFiles.h"

#include "win32/win32_driver.h"

std::string VIEW_PlateFileName(int index, const std::string& ink) {
    static const char kHex[] = "0123456789abcdef";
    std::string name = "plate-" + std::to_string(index) + "-";
    for (const char c : ink) {
        const unsigned char byte = static_cast<unsigned char>(c);
        if ((byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') || (byte >= '0' && byte <= '9') ||
            byte == '.' || byte == '_' || byte == '-') {
            name += c;
        } else {
            name += '#';
            name += kHex[byte >> 4];
            name += kHex[byte & 15];
        }
    }
    return name + ".png";
}

bool VIEW_WriteGreyPng(const std::string& path, int width, int height, const std::vector<uint8_t>& grey) {
    if (width <= 0 || height <= 0 || grey.size() != static_cast<size_t>(width) * height)
        return false;
    return Win32Driver::WritePng(path, width, height, 1, grey.data());
}
