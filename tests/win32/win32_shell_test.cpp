// The application-data folder, CreateDirectoryA, message boxes and the
// local time on the test clock.
#include "support/TestSupport.h"

#include "win32/win32.h"
#include "win32/win32_driver.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <sys/stat.h>

namespace {

bool IsFolder(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

class ShellTest : public ::testing::Test {
protected:
    void TearDown() override {
        Win32Driver::SetAppDataFolder("");
        Win32Driver::FailSpecialFolderLocation(false);
        Win32Driver::FailPathFromIDList(false);
    }

    // The folder the two shell calls give, or "" when one fails.
    static std::string AppDataFolder() {
        LPITEMIDLIST list = nullptr;
        if (FAILED(SHGetSpecialFolderLocation(nullptr, CSIDL_APPDATA, &list)))
            return "";
        char path[MAX_PATH];
        const BOOL found = SHGetPathFromIDListA(list, path);
        LPMALLOC allocator = nullptr;
        EXPECT_EQ(CoGetMalloc(1, &allocator), S_OK);
        allocator->Free(list);
        allocator->Release();
        return found ? path : "";
    }

    ScratchDir m_scratch;
};

TEST_F(ShellTest, TheConfiguredFolderGetsItsParentsButNotItself) {
    const std::string folder = m_scratch.File("home/.config/tintscope");
    Win32Driver::SetAppDataFolder(folder);
    EXPECT_EQ(AppDataFolder(), folder);
    EXPECT_TRUE(IsFolder(m_scratch.File("home/.config")));
    EXPECT_FALSE(IsFolder(folder)) << "CreateDirectoryA makes the folder itself";
    EXPECT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
    EXPECT_FALSE(CreateDirectoryA(folder.c_str(), nullptr));
    EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
}

TEST_F(ShellTest, AParentThatCannotBeMadeIsLeftToCreateDirectory) {
    std::ofstream(m_scratch.File("file")) << "x";
    const std::string folder = m_scratch.File("file/below/tintscope");
    Win32Driver::SetAppDataFolder(folder);
    EXPECT_EQ(AppDataFolder(), folder);
    EXPECT_FALSE(CreateDirectoryA(folder.c_str(), nullptr));
    EXPECT_NE(GetLastError(), ERROR_ALREADY_EXISTS);
    EXPECT_FALSE(CreateDirectoryA(m_scratch.File("missing/tintscope").c_str(), nullptr))
        << "no parents are made";
    EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
}

TEST_F(ShellTest, FaultSwitchesAndTooLongAFolder) {
    Win32Driver::SetAppDataFolder(m_scratch.Path());
    Win32Driver::FailSpecialFolderLocation(true);
    LPITEMIDLIST list = nullptr;
    EXPECT_EQ(SHGetSpecialFolderLocation(nullptr, CSIDL_APPDATA, &list), E_FAIL);
    EXPECT_EQ(list, nullptr);
    Win32Driver::FailSpecialFolderLocation(false);
    Win32Driver::FailPathFromIDList(true);
    EXPECT_EQ(AppDataFolder(), "");
    Win32Driver::FailPathFromIDList(false);
    EXPECT_EQ(AppDataFolder(), m_scratch.Path());
    Win32Driver::SetAppDataFolder(m_scratch.Path() + "/" + std::string(MAX_PATH, 'a'));
    EXPECT_EQ(AppDataFolder(), "") << "a folder that does not fit is refused, not cut";
}

TEST_F(ShellTest, TheDefaultFolderFollowsTheEnvironment) {
    const char* saved = std::getenv("XDG_CONFIG_HOME");
    const std::string keep = saved ? saved : "";
    setenv("XDG_CONFIG_HOME", m_scratch.File("config").c_str(), 1);
    EXPECT_EQ(AppDataFolder(), m_scratch.File("config/tintscope"));
    if (saved)
        setenv("XDG_CONFIG_HOME", keep.c_str(), 1);
    else
        unsetenv("XDG_CONFIG_HOME");
}

TEST(Shell, MessageBoxesAreRecorded) {
    Win32Driver::ClearMessageBoxes();
    EXPECT_EQ(MessageBoxA(nullptr, "text", "caption", MB_OK), IDOK);
    ASSERT_EQ(Win32Driver::MessageBoxes().size(), 1u);
    EXPECT_EQ(Win32Driver::MessageBoxes()[0].m_text, "text");
    EXPECT_EQ(Win32Driver::MessageBoxes()[0].m_caption, "caption");
    Win32Driver::ClearMessageBoxes();
}

TEST(Shell, LocalTimeFollowsTheTestClock) {
    ASSERT_TRUE(Win32Driver::OnTestClock());
    SYSTEMTIME before;
    GetLocalTime(&before);
    Win32Driver::Advance(3723045);   // 1 h 2 min 3.045 s
    SYSTEMTIME after;
    GetLocalTime(&after);
    const auto ms = [](const SYSTEMTIME& t) {
        return ((t.wDay * 24 + t.wHour) * 60 + t.wMinute) * 60000 + t.wSecond * 1000 + t.wMilliseconds;
    };
    EXPECT_EQ(ms(after) - ms(before), 3723045);
    EXPECT_EQ(after.wYear, 2000);
}

}  // namespace
