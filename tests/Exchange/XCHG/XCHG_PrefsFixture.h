// The plug-in's preferences over the stand-in host: a plug-in named as the
// separations one, its application-data folder in a scratch folder, and
// preference files written and read back through the host.
#pragma once

#include "XCHG_ReportFixture.h"

#include "Exchange/XCHG/XCHG_Plugin.h"
#include "Exchange/XCHG/XCHG_PluginPreferences.h"
#include "GLOB/GLOB_Name.h"
#include "hostpdf/COSF_PDFL_Impl.h"
#include "hostpdf/COSF_PDFL_Library.h"
#include "hostpdf/PDFL_BufferedFileSys.h"
#include "hostpdf/PDFL_RetryingFileSys.h"
#include "support/PdfText.h"
#include "win32/win32_driver.h"

#include <fstream>
#include <string>
#include <sys/stat.h>
#include <vector>

class SeparationsPlugin : public XCHG_Plugin {
public:
    const char* Name() const override { return "VELM_ZOVA_Separations"; }
};

inline const char* const Defaults = "<< /Dpi 300 /Ticked true >>";

inline bool Exists(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0;
}

inline std::string FirstLine(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::string line;
    std::getline(in, line);
    return line;
}

// A preference file as text: this plug-in's entry with /Dpi dpi and
// another plug-in's entry /VELM_Other << /Zoom 4 >>.
inline std::string PrefsText(int dpi) {
    return PdfText("%VelmDornapPrefs-1.0",
                   {"<< /VELM_Preferences 2 0 R >>",
                    "<< /VELM_ZOVA_Separations << /Dpi " + std::to_string(dpi) +
                        " /Ticked false >> /VELM_Other << /Zoom 4 >> >>"});
}

class PreferencesTest : public ReportTest {
protected:
    void SetUp() override {
        ReportTest::SetUp();
        iPDFL_ForgetBufferedFileSys();
        iPDFL_ForgetRetryingFileSys();
        COSF_PDFL_Library::Initialize();
        m_folder = m_scratch.File("config/tintscope");
        Win32Driver::SetAppDataFolder(m_folder);
    }
    void TearDown() override {
        iPDFL_ForgetBufferedFileSys();
        iPDFL_ForgetRetryingFileSys();
        PDFL_SetExceptionMapper(PDFL_MapException);
        Win32Driver::SetAppDataFolder("");
        Win32Driver::FailSpecialFolderLocation(false);
        Win32Driver::FailPathFromIDList(false);
        ReportTest::TearDown();
    }
    // FileName's exception message, or "" when it gave a name.
    static std::string Refusal() {
        try {
            XCHG_PluginPreferences::FileName();
        } catch (const GLIB_Exception& exception) {
            EXPECT_EQ(exception.Code(), XCHG_PluginPreferences::FolderUnusableCode);
            return exception.What();
        }
        return "";
    }
    std::string PrefFile() const { return m_folder + "/ZOVA.pref"; }
    // A preference file written through the host, its catalog holding
    // "VELM_Preferences" = value (PDF object text made by make).
    template <class Make>
    void WriteFile(Make make) {
        ASSERT_EQ(mkdir(m_scratch.File("config").c_str(), 0777), 0);
        ASSERT_EQ(mkdir(m_folder.c_str(), 0777), 0);
        GLOB_Doc file = COSF_PDFL_NewDoc();
        file.Create(GLOB_FileName(PrefFile().c_str()), "%VelmDornapPrefs-1.0", 0);
        file.Root().DictPut(GLOB_Name("VELM_Preferences"), make(file));
        file.Save();
        file.Close();
    }
    // The stored "VELM_Preferences" of the file, read back through the host.
    template <class Check>
    void ReadFile(Check check) {
        GLOB_Doc file = COSF_PDFL_NewDoc();
        file.Open(GLOB_FileName(PrefFile().c_str()), 0);
        check(file.Root().DictGet(GLOB_Name("VELM_Preferences")));
        file.Close();
    }

    // A folder of its own under the scratch folder, made.
    void UseFolder(const std::string& name) {
        m_folder = m_scratch.File(name + "/tintscope");
        Win32Driver::SetAppDataFolder(m_folder);
        MakeFolder();
    }
    // The folder and its parents, as far as they are missing.
    void MakeFolder() const {
        for (size_t slash = m_folder.find('/', 1); slash != std::string::npos; slash = m_folder.find('/', slash + 1))
            mkdir(m_folder.substr(0, slash).c_str(), 0777);
        mkdir(m_folder.c_str(), 0777);
    }
    std::vector<std::string> FolderEntries() const { return ListFolder(m_folder); }
    // The file's /Dpi of this plug-in and /Zoom of the other one, read
    // through the host.
    std::pair<int, int> Stored() {
        std::pair<int, int> found{-1, -1};
        const auto entry = [](const GLOB_Object& stored, const char* plugin, const char* key) {
            const GLOB_Object dict = stored.IsDict() ? stored.DictGet(GLOB_Name(plugin)) : GLOB_Object();
            const GLOB_Object value = dict.IsDict() ? dict.DictGet(GLOB_Name(key)) : GLOB_Object();
            return value.IsInteger() ? value.AsInteger() : -1;
        };
        ReadFile([&](const GLOB_Object& stored) {
            found.first = entry(stored, "VELM_ZOVA_Separations", "Dpi");
            found.second = entry(stored, "VELM_Other", "Zoom");
        });
        return found;
    }
    std::string Corrupt() const {
        return "The plug-in ZOVA.api discovered a corrupt preference file " + m_folder + "/ZOVA.pref.";
    }
    std::string Unsaved() const {
        return "The plug-in ZOVA.api could not save its preference file " + m_folder + "/ZOVA.pref.";
    }

    SeparationsPlugin m_plugin;
    std::string m_folder;
};
