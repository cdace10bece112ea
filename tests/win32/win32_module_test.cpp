// Modules and resources: a locale library loaded by a "C:\..." path answers
// from its own tables while the test program answers from its own.
#include "win32/win32.h"
#include "win32/win32_resources.h"

#include <gtest/gtest.h>

#include <cstring>
#include <dlfcn.h>
#include <string>

namespace {

const Win32StringResource g_strings[] = {
    {20010, "The plug-in %s could not save its preferences file."},
    {20011, ""},
};

void DrawGradient(uint32_t* pixels, int width, int height) {
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            pixels[y * width + x] = static_cast<uint32_t>(x << 16 | y << 8 | 0x7F);
}

const Win32BitmapResource g_bitmaps[] = {{501, 5, 3, DrawGradient}};

const unsigned char g_colour[] = {1, 0, 0, 0, 255, 0, 0, 0, 0, 0};  // 1, 0, 255, 0, 0 as 16-bit little-endian
const Win32CustomResource g_custom[] = {{"PDCL", 1301, g_colour, sizeof g_colour}};

const Win32ResourceTables g_tables = [] {
    Win32ResourceTables t;
    t.m_strings = g_strings;
    t.m_stringCount = 2;
    t.m_bitmaps = g_bitmaps;
    t.m_bitmapCount = 1;
    t.m_custom = g_custom;
    t.m_customCount = 1;
    return t;
}();

const Win32ResourceRegistration g_registration(g_tables);

// A POSIX path as the plug-in writes it for LoadLibraryA: "C:\dir\file".
std::string DrivePath(const std::string& posix) {
    std::string path = "C:" + posix;
    for (char& c : path)
        if (c == '/')
            c = '\\';
    return path;
}

std::string String(HMODULE module, UINT id, int size = 256) {
    char buffer[256];
    const int n = LoadStringA(module, id, buffer, size);
    EXPECT_EQ(n, static_cast<int>(std::strlen(buffer)));
    return buffer;
}

}  // namespace

TEST(win32_module, TheProgramIsItsOwnModule) {
    const HMODULE program = GetModuleHandleA(nullptr);
    ASSERT_NE(program, nullptr);
    EXPECT_EQ(Win32ModuleOfAddress(&g_tables), program);
    Dl_info info;
    ASSERT_NE(dladdr(reinterpret_cast<void*>(&DrawGradient), &info), 0);
    EXPECT_EQ(info.dli_fbase, static_cast<void*>(program));
    EXPECT_EQ(String(program, 20010), "The plug-in %s could not save its preferences file.");
    EXPECT_EQ(String(nullptr, 20010), "The plug-in %s could not save its preferences file.");
    EXPECT_EQ(String(program, 20010, 8), "The plu");
    EXPECT_EQ(String(program, 20011), "");
    EXPECT_EQ(String(program, 4242), "");
    char path[4096];
    const DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
    ASSERT_GT(n, 0u);
    EXPECT_EQ(GetModuleHandleA(DrivePath(path).c_str()), program);
}

TEST(win32_module, LocaleLibraryAnswersFromItsTablesUntilFreed) {
    const std::string file = TINTSCOPE_WIN32_TEST_MODULE;
    const HMODULE locale = LoadLibraryA(DrivePath(file).c_str());
    ASSERT_NE(locale, nullptr) << dlerror();
    const HMODULE program = GetModuleHandleA(nullptr);
    EXPECT_NE(locale, program);
    EXPECT_EQ(String(locale, 20010), "Locale: the plug-in %s could not save its preferences file.");
    EXPECT_EQ(String(locale, 7), "only here");
    EXPECT_EQ(String(program, 20010), "The plug-in %s could not save its preferences file.");
    EXPECT_EQ(String(program, 7), "");

    const std::string name = file.substr(file.rfind('/') + 1);
    std::string lower = name;
    for (char& c : lower)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    EXPECT_EQ(GetModuleHandleA(name.c_str()), locale);
    EXPECT_EQ(GetModuleHandleA(lower.c_str()), locale);
    char path[4096];
    EXPECT_EQ(GetModuleFileNameA(locale, path, sizeof path), file.size());
    EXPECT_EQ(path, file);
    char shortBuffer[10];
    SetLastError(0);
    EXPECT_EQ(GetModuleFileNameA(locale, shortBuffer, sizeof shortBuffer), 10u);
    EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
    EXPECT_EQ(std::string(shortBuffer), file.substr(0, 9));

    // Loads are counted: the strings stay until the last FreeLibrary.
    EXPECT_EQ(LoadLibraryA(file.c_str()), locale);
    ASSERT_TRUE(FreeLibrary(locale));
    EXPECT_EQ(String(locale, 7), "only here");
    ASSERT_TRUE(FreeLibrary(locale));
    EXPECT_EQ(String(locale, 7), "");
    EXPECT_EQ(GetModuleHandleA(name.c_str()), nullptr);
    EXPECT_FALSE(FreeLibrary(locale));

    EXPECT_EQ(LoadLibraryA("C:\\no\\such\\library.ENU"), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_MOD_NOT_FOUND);
    EXPECT_EQ(GetModuleHandleA("library.ENU"), nullptr);
}

TEST(win32_module, CustomResourcesAndBitmaps) {
    const HMODULE program = GetModuleHandleA(nullptr);
    const HRSRC found = FindResourceA(program, MAKEINTRESOURCEA(1301), "pdcl");
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(SizeofResource(program, found), 10u);
    const auto* values = static_cast<const unsigned char*>(LockResource(LoadResource(program, found)));
    ASSERT_NE(values, nullptr);
    int16_t decoded[5];
    for (int i = 0; i < 5; ++i)
        decoded[i] = static_cast<int16_t>(values[2 * i] | values[2 * i + 1] << 8);
    EXPECT_EQ(decoded[0], 1);
    EXPECT_EQ(decoded[1], 0);
    EXPECT_EQ(decoded[2], 255);
    EXPECT_EQ(decoded[4], 0);
    EXPECT_EQ(FindResourceA(program, MAKEINTRESOURCEA(1302), "PDCL"), nullptr);
    EXPECT_EQ(FindResourceA(program, MAKEINTRESOURCEA(1301), "PDCX"), nullptr);

    const HBITMAP first = LoadBitmapA(program, MAKEINTRESOURCEA(501));
    const HBITMAP second = LoadBitmapA(program, MAKEINTRESOURCEA(501));
    ASSERT_NE(first, nullptr);
    EXPECT_NE(first, second);  // a new bitmap each call
    DIBSECTION dib;
    ASSERT_EQ(GetObjectA(first, sizeof dib, &dib), static_cast<int>(sizeof dib));
    EXPECT_EQ(dib.dsBm.bmWidth, 5);
    EXPECT_EQ(dib.dsBm.bmHeight, 3);
    EXPECT_EQ(dib.dsBmih.biHeight, -3);
    const auto* pixels = static_cast<const uint32_t*>(dib.dsBm.bmBits);
    EXPECT_EQ(pixels[0], 0x7Fu);
    EXPECT_EQ(pixels[2 * 5 + 4], 0x04027Fu);  // row 2, column 4: top-down
    EXPECT_TRUE(DeleteObject(first));
    EXPECT_TRUE(DeleteObject(second));
    EXPECT_EQ(LoadBitmapA(program, MAKEINTRESOURCEA(502)), nullptr);
}
