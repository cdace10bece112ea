// The files the program writes: plate names, 8-bit grey PNG files, and
// PNG files made in a folder held open.
#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

// "plate-<index>-<ink>.png", every byte of ink outside A-Z, a-z, 0-9, '.',
// '_' and '-' written "#xx" (two lower-case hex digits), so that any ink
// name gives one file name of this folder and no two inks the same. A name
// that would pass MaxFileNameBytes keeps a readable start and ends in "~"
// and eight hex digits of a hash of the whole ink name.
constexpr size_t VIEW_MaxFileNameBytes = 255;
std::string VIEW_PlateFileName(int index, const std::string& ink);
// Whether name has the plates' form "plate-<digits>-….png": a plain name
// of this folder, no folder part.
bool VIEW_IsPlateFileName(const std::string& name);

// width x height bytes, rows from the top, as an 8-bit grey PNG file (255
// white). False, with no file left, when it cannot be written.
bool VIEW_WriteGreyPng(const std::string& path, int width, int height, const std::vector<uint8_t>& grey);
// The same for a window of a larger plate: rows rowBytes apart from first;
// why, when given, gets the reason of a failure.
bool VIEW_WriteGreyPng(const std::string& path, int width, int height, const uint8_t* first, size_t rowBytes,
                       std::string* why = nullptr);

// The file name in the folder open at folder (VIEW_CreateFileAt, never by a
// path), written by write, which gives its reason when it fails; false with
// the reason of a failure to make, write or close it in why, when given, and
// no file left.
bool VIEW_WriteFileAt(int folder, const std::string& name,
                      const std::function<bool(std::FILE*, std::string*)>& write, std::string* why = nullptr);

// width x height pixels of channels bytes (1 grey, 4 RGBA), rows rowBytes
// apart from first, as the PNG file name in the folder open at folder
// (VIEW_WriteFileAt).
bool VIEW_WritePngAt(int folder, const std::string& name, int width, int height, int channels,
                     const uint8_t* first, size_t rowBytes, std::string* why = nullptr);
