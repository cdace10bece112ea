// The plug-in object's registration and what it asks the host about its
// file; the module information's locale library paths.
#include "XCHG_ReportFixture.h"

#include "Exchange/XCHG/XCHG_ModuleInfo.h"
#include "Exchange/XCHG/XCHG_Plugin.h"
#include "Exchange/XCHG/XCHG_Resources.h"

#include <fstream>

namespace {

class NamedPlugin : public XCHG_Plugin {
public:
    const char* Name() const override { return "VELM_Test"; }
};

class PluginTest : public ReportTest {};

TEST_F(PluginTest, ASecondObjectIsRefusedAndLeavesTheFirst) {
    ASSERT_EQ(XCHG_Plugin::Instance(), nullptr);
    {
        NamedPlugin first;
        EXPECT_EQ(XCHG_Plugin::Instance(), &first);
        {
            NamedPlugin second;
            EXPECT_EQ(AlertTexts(),
                      std::vector<std::string>{"You must only define one object derived from XCHG_Plugin"});
        }
        EXPECT_EQ(XCHG_Plugin::Instance(), &first) << "the refused object's end keeps the first";
    }
    EXPECT_EQ(XCHG_Plugin::Instance(), nullptr);
}

TEST_F(PluginTest, ModuleNameDropsOnlyATrailingApi) {
    const std::pair<const char*, const char*> cases[] = {
        {"ZOVA.api", "ZOVA"}, {"Name.API", "Name"}, {".api", ".api"}, {"x.Api", "x"},
        {"Name.apix", "Name.apix"}, {"api", "api"}, {"", ""},
    };
    for (const auto& [file, name] : cases) {
        SCOPED_TRACE(file);
        VIEW_App::SetExtensionFileName(file);
        EXPECT_EQ(XCHG_Plugin::ModuleName(), name);
    }
}

TEST_F(PluginTest, HostVersionTakesBothHalvesAsSigned) {
    VIEW_App::SetVersion(4, 5);
    EXPECT_EQ(XCHG_Plugin::HostVersion(), 0x00040005);
    VIEW_App::SetVersion(3, 0);
    EXPECT_EQ(XCHG_Plugin::HostVersion(), 0x00030000);
    VIEW_App::SetVersion(0, -1);
    EXPECT_EQ(XCHG_Plugin::HostVersion(), -1);
}

TEST_F(PluginTest, LanguageFromTheHost) {
    EXPECT_EQ(XCHG_ModuleInfo::Language(), "ENU");
    VIEW_App::SetLanguage("DEU");
    EXPECT_EQ(XCHG_ModuleInfo::Language(), "DEU");
}

TEST_F(PluginTest, LocaleLibraryFromADisplayPath) {
    XCHG_ModuleInfo info;
    const std::string module = TINTSCOPE_TEST_LOCALE;
    ASSERT_EQ(module[0], '/');
    EXPECT_TRUE(info.LoadLibraryAt("/C" + module));
    EXPECT_FALSE(info.LoadLibraryAt("/C" + module + ".missing"));
    // 255 bytes load; 256 are refused, never cut.
    const auto padded = [&](size_t size) { return "/C" + std::string(size - 2 - module.size(), '/') + module; };
    EXPECT_TRUE(info.LoadLibraryAt(padded(255)));
    const std::string longPath = padded(256);
    EXPECT_FALSE(info.LoadLibraryAt(longPath));
}

}  // namespace
