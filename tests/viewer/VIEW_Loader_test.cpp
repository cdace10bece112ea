// The test plug-in ZOVA.api loaded as the host loads it: versions, tables,
// the handshake, Initialize against the host's version, notifications,
// the debug log, the module's name, folder and locale library, and
// nothing of the module left in the host after it is closed.
#include "support/PluginLoaderTest.h"
#include "support/TestSupport.h"

#include "viewer/VIEW_App.h"
#include "viewer/VIEW_Atoms.h"
#include "viewer/VIEW_Callbacks.h"
#include "viewer/VIEW_Host.h"
#include "viewer/VIEW_Loader.h"
#include "viewer/VIEW_Recorder.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <fstream>
#include <cctype>
#include <cstdio>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void CopyFile(const std::string& from, const std::string& to) {
    std::ofstream(to, std::ios::binary) << ReadFile(from);
}

bool Exists(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0;
}

class LoaderTest : public PluginLoaderTest {
protected:
    void SetUp() override {
        VIEW_Host::Reset();
        EnterScratch();
    }
    void TearDown() override {
        LeaveScratch();
        EXPECT_EQ(VIEW_Callbacks::LiveCount(), 0u) << "a callback of a closed module";
        VIEW_Host::Reset();
    }
    static void Choose(const char* options) { setenv("TINTSCOPE_TEST_PLUGIN", options, 1); }
    // The requests of Core 10 for a table name, as (version) in order.
    static std::vector<uint64_t> Requests(const char* name) {
        std::vector<uint64_t> versions;
        for (const VIEW_Call& call : VIEW_Recorder::Calls())
            if (call.m_table == PDFL_CoreTable && call.m_slot == 10 &&
                std::string(VIEW_Atoms::GetString(static_cast<PDFL_ASAtom>(call.m_args[0]))) == name)
                versions.push_back(call.m_args[1]);
        return versions;
    }
};

const char* const Plugin = TINTSCOPE_TEST_PLUGIN;

TEST_F(LoaderTest, HandshakeVersionsOfferedAndAnswered) {
    struct Case {
        uint32_t offered;
        uint32_t answered;
        bool loads;
    };
    const Case cases[] = {{0x00030000, 0x00020000, true}, {0x00020000, 0x00020000, true},
                          {0x00010000, 0x00010000, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.offered);
        VIEW_Loader::Options options;
        options.m_offeredVersion = c.offered;
        const VIEW_Loader::Result result = m_loader.Load(Plugin, options);
        EXPECT_TRUE(result.m_opened);
        EXPECT_EQ(result.m_answeredVersion, c.answered);
        EXPECT_EQ(result.m_setUp, c.loads);
        EXPECT_EQ(result.Loaded(), c.loads);
        m_loader.Unload();
    }
    EXPECT_TRUE(VIEW_App::Alerts().empty());
}

TEST_F(LoaderTest, TablesAtTheSecondLevelAndOptionalTables) {
    VIEW_Host::OfferTable(PDFL_AcroSupportTable, 0x00020002);
    VIEW_Host::OfferTable(PDFL_WinTable, 0x00020000);
    EXPECT_TRUE(m_loader.Load(Plugin).Loaded());
    EXPECT_EQ(Requests("AcroSupport"), (std::vector<uint64_t>{0x00040000, 0x00020002}));
    EXPECT_EQ(Requests("Win"), (std::vector<uint64_t>{0x00040000, 0x00020000}));
    EXPECT_EQ(Requests("Cos"), (std::vector<uint64_t>{0x00040000}));
    for (const char* optional : {"PDFEditWrite", "PDFEditRead", "PDSysFont", "PagePDEContent"}) {
        SCOPED_TRACE(optional);
        EXPECT_EQ(Requests(optional), (std::vector<uint64_t>{0x00040000})) << "missing, and not asked again";
    }
}

TEST_F(LoaderTest, ATableMissingAtBothLevelsFailsTheSetUp) {
    for (uint32_t version : {0u, 0x00010000u}) {
        SCOPED_TRACE(version);
        VIEW_Host::Reset();
        VIEW_Host::OfferTable(PDFL_WinTable, version);
        const VIEW_Loader::Result result = m_loader.Load(Plugin);
        EXPECT_FALSE(result.m_setUp);
        EXPECT_FALSE(result.m_handshaken);
        m_loader.Unload();
    }
}

TEST_F(LoaderTest, AnUnexpectedHandshakeVersionAlerts) {
    VIEW_Loader::Options options;
    options.m_handshakeVersion = 0x00030000;
    const VIEW_Loader::Result result = m_loader.Load(Plugin, options);
    EXPECT_TRUE(result.m_setUp);
    EXPECT_FALSE(result.m_handshaken);
    ASSERT_EQ(VIEW_App::Alerts().size(), 1u);
    EXPECT_EQ(VIEW_App::Alerts()[0].m_text, "XCHG_Plugin::Handshake: Unexpected handshake version");
    EXPECT_EQ(VIEW_App::Alerts()[0].m_icon, 1);
    EXPECT_EQ(VIEW_App::Alerts()[0].m_button1, "OK");
    EXPECT_TRUE(VIEW_App::Alerts()[0].m_beep);
}

TEST_F(LoaderTest, AFactoryWithoutAnObjectFailsTheHandshake) {
    Choose("null-object");
    const VIEW_Loader::Result result = m_loader.Load(Plugin);
    EXPECT_TRUE(result.m_setUp);
    EXPECT_FALSE(result.m_handshaken);
    EXPECT_EQ(AlertTexts(), std::vector<std::string>{"You have to define an object derived from XCHG_Plugin"});
}

TEST_F(LoaderTest, AnOlderHostFailsInitialize) {
    VIEW_App::SetVersion(3, 0);
    const VIEW_Loader::Result result = m_loader.Load(Plugin);
    EXPECT_TRUE(result.m_registered);
    EXPECT_FALSE(result.m_initialized);
    EXPECT_EQ(AlertTexts(),
              std::vector<std::string>{"The plug-in ZOVA.api requires Adobe Acrobat version 4.00 or newer."});
}

TEST_F(LoaderTest, LifeCycleAndNotifications) {
    ASSERT_TRUE(m_loader.Load(Plugin).Loaded());
    EXPECT_EQ(VIEW_App::NotificationCount(PDFL_AppDidInitializeNSEL), 1u);
    EXPECT_EQ(VIEW_App::NotificationCount(PDFL_AppWillQuitNSEL), 1u);
    VIEW_Recorder::ClearCalls();
    EXPECT_TRUE(m_loader.Unload());
    std::vector<uint64_t> unregistered;
    for (const VIEW_Call& call : VIEW_Recorder::Calls())
        if (call.m_table == PDFL_AcroViewTable && call.m_slot == 42)
            unregistered.push_back(call.m_args[0]);
    EXPECT_EQ(unregistered, (std::vector<uint64_t>{0, 1}));
    EXPECT_EQ(VIEW_App::NotificationCount(PDFL_AppDidInitializeNSEL), 0u);
    EXPECT_EQ(VIEW_App::NotificationCount(PDFL_AppWillQuitNSEL), 0u);
    EXPECT_FALSE(m_loader.IsOpen());
}

TEST_F(LoaderTest, UnloadUnregistersOnlyWhatWasRegistered) {
    VIEW_Recorder::InjectFault(PDFL_AcroViewTable, 41, 0x00A00007);
    const VIEW_Loader::Result result = m_loader.Load(Plugin);
    EXPECT_TRUE(result.m_exported);
    EXPECT_FALSE(result.m_registered);
    VIEW_Recorder::ClearCalls();
    EXPECT_TRUE(m_loader.Unload());
    for (const VIEW_Call& call : VIEW_Recorder::Calls())
        EXPECT_FALSE(call.m_table == PDFL_AcroViewTable && call.m_slot == 42) << "selector " << call.m_args[0];
}

TEST_F(LoaderTest, TheDebugLogNeedsTheDebuggerWindow) {
    Choose("log");
    ASSERT_TRUE(m_loader.Load(Plugin).Loaded());
    m_loader.Unload();
    EXPECT_FALSE(Exists(m_scratch.File("Debug.log")));
    EXPECT_TRUE(VIEW_App::DebugWindowTexts().empty());

    VIEW_Host::OfferTable(PDFL_DebuggerWindowTable, 1);
    ASSERT_TRUE(m_loader.Load(Plugin).Loaded());
    m_loader.Unload();
    const std::string log = ReadFile(m_scratch.File("Debug.log"));
    std::istringstream lines(log);
    std::vector<std::string> bodies;
    const std::string shape = "99:99:99.999 ";
    for (std::string text; std::getline(lines, text);) {
        ASSERT_GT(text.size(), shape.size());
        for (size_t i = 0; i < shape.size(); ++i)
            ASSERT_TRUE(shape[i] == '9' ? std::isdigit(static_cast<unsigned char>(text[i])) != 0 : text[i] == shape[i])
                << text;
        ASSERT_EQ(text.back(), '\r') << "lines end in CR LF";
        bodies.push_back(text.substr(shape.size(), text.size() - shape.size() - 1));
    }
    ASSERT_EQ(bodies.size(), 2u);
    const std::string prefix = "Warning  XCHG_TestPlugin.cpp" + std::string(16, ' ') + " line ";
    EXPECT_EQ(bodies[0].substr(0, prefix.size()), prefix);
    const std::string suffix = ": from the test plug-in";
    ASSERT_GT(bodies[0].size(), prefix.size() + suffix.size());
    EXPECT_EQ(bodies[0].substr(bodies[0].size() - suffix.size()), suffix);
    EXPECT_EQ(bodies[1], "abc");
    EXPECT_EQ(VIEW_App::DebugWindowTexts().size(), 6u) << "stamp, indentation and line, twice";
}

TEST_F(LoaderTest, NameFolderLocaleStringsAndColours) {
    Choose("report");
    const std::string folder = m_scratch.Path() + "/plug-ins";
    ASSERT_EQ(mkdir(folder.c_str(), 0777), 0);
    ASSERT_EQ(mkdir((folder + "/Locale").c_str(), 0777), 0);
    CopyFile(Plugin, folder + "/ZOVA.api");

    ASSERT_TRUE(m_loader.Load(folder + "/ZOVA.api").Loaded());
    const std::vector<std::string> plain = {
        "name ZOVA", "folder /C" + folder + "/", "locale none", "string 7 the plug-in's seven",
        "string 30001 only in the plug-in",
        "string 20010 The plug-in %s could not save its preferences file.",
        "string 4242 *** Unknown string ID: 4242 ***", "color 1301 1 0 65536 0 0",
        "color 1302 2 32897 0 65536 16448", "color 1303 0 0 0 0 0"};
    EXPECT_EQ(AlertTexts(), plain);
    m_loader.Unload();

    CopyFile(TINTSCOPE_TEST_LOCALE, folder + "/Locale/ZOVA.ENU");
    VIEW_App::ClearAlerts();
    ASSERT_TRUE(m_loader.Load(folder + "/ZOVA.api").Loaded());
    std::vector<std::string> localised = plain;
    localised[2] = "locale loaded";
    localised[3] = "string 7 only here";
    localised[5] = "string 20010 Locale: the plug-in %s could not save its preferences file.";
    EXPECT_EQ(AlertTexts(), localised);
    m_loader.Unload();

    // Beside the plug-in, and in "Help/".
    ASSERT_EQ(mkdir((folder + "/Help").c_str(), 0777), 0);
    const std::pair<std::string, std::string> moves[] = {{"/Locale/ZOVA.ENU", "/ZOVA.ENU"},
                                                         {"/ZOVA.ENU", "/Help/ZOVA.ENU"}};
    for (const auto& [from, to] : moves) {
        SCOPED_TRACE(to);
        ASSERT_EQ(std::rename((folder + from).c_str(), (folder + to).c_str()), 0);
        VIEW_App::ClearAlerts();
        ASSERT_TRUE(m_loader.Load(folder + "/ZOVA.api").Loaded());
        EXPECT_EQ(AlertTexts(), localised);
        m_loader.Unload();
    }

    VIEW_App::SetLanguage("DEU");
    VIEW_App::ClearAlerts();
    ASSERT_TRUE(m_loader.Load(folder + "/ZOVA.api").Loaded());
    EXPECT_EQ(AlertTexts()[2], "locale none") << "ZOVA.DEU is looked for";
}

TEST_F(LoaderTest, ModuleNamesOfOtherFiles) {
    Choose("report");
    const std::pair<const char*, const char*> cases[] = {{"Name.API", "name Name"}, {".api", "name .api"}};
    for (const auto& [file, reported] : cases) {
        SCOPED_TRACE(file);
        CopyFile(Plugin, m_scratch.File(file));
        VIEW_App::ClearAlerts();
        ASSERT_TRUE(m_loader.Load(m_scratch.File(file)).Loaded());
        ASSERT_FALSE(AlertTexts().empty());
        EXPECT_EQ(AlertTexts()[0], reported);
        EXPECT_EQ(AlertTexts()[1], "folder /C" + m_scratch.Path() + "/");
        m_loader.Unload();
    }
}

}  // namespace
