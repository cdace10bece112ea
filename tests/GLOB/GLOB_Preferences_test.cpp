#include "GLOB/GLOB_PreferencesDoc.h"

#include "GLOB/GLOB_FileStream.h"
#include "GLOB/GLOB_ObjectWriter.h"
#include "GLOB_TestUtil.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace {

const char* const Defaults = "<< /Dpi 300 /Show true /Inks [/Cyan] >>";

// An open memory document whose catalog holds VELM_Preferences parsed from
// root (none for null).
GLOB_Doc PrefsDoc(const char* root = nullptr) {
    GLOB_Doc doc = GLOB_Memory_Impl::Make();
    doc.Create("%VelmDornapPrefs-1.0", 0);
    if (root)
        doc.Root().DictPut(GLOB_Name(GLOB_KeyVelmDornapPrefs), doc.ParseObject(root));
    return doc;
}

}  // namespace

TEST(GLOB_PreferencesDoc, StoredValuesWinOverDefaults) {
    const char* const cases[][2] = {
        // The stored root, and the private dictionary after Initialize.
        {nullptr, Defaults},
        {"<< /Other << /Dpi 1 >> >>", Defaults},
        {"<< /Tintscope << /Dpi 600 /Inks null /Mine (x) >> >>", "<< /Dpi 600 /Inks null /Mine (x) /Show true >>"},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(i);
        const GLOB_Doc doc = PrefsDoc(cases[i][0]);
        GLOB_PreferencesDoc prefs;
        prefs.Initialize(doc, GLOB_Name("Tintscope"), Defaults);
        const GLOB_Object root = GLOB_PreferencesDoc::RootDict(doc);
        EXPECT_TRUE(root.DictGet(GLOB_Name("Tintscope")).IsDeepEqual(prefs.PrivateDict()));
        EXPECT_TRUE(prefs.PrivateDict().IsDeepEqual(doc.ParseObject(cases[i][1])));
        EXPECT_EQ(!root.IsDirect() && !prefs.PrivateDict().IsDirect(), i == 0);  // made here: indirect
        EXPECT_THROW(prefs.Initialize(doc, GLOB_Name("Tintscope"), nullptr), TestAssertionFailure);
        prefs.MergeDefaults("<< /Dpi 75 /Added 1 >>", true);
        EXPECT_EQ(prefs.PrivateDict().IntegerValue("Added"), 1);
        EXPECT_EQ(prefs.PrivateDict().IntegerValue("Dpi"), i == 2 ? 600 : 300);
    }
}

// Damaged preferences are reported, and binding again after the caller put
// a new root in place (as the host does) falls back to the defaults.
TEST(GLOB_PreferencesDoc, DamagedPreferencesThrowAndCanBeReplaced) {
    const struct {
        const char* root;
        const char* defaults;
        uint32_t code;
        const char* message;
    } cases[] = {
        {"5", Defaults, GLOB_PrefsRootCode, "the root GLOB_KeyVelmDornapPrefs value isn't a dict"},
        {"null", Defaults, GLOB_PrefsRootCode, "the root GLOB_KeyVelmDornapPrefs value isn't a dict"},
        {"<< /Tintscope /Dict >>", Defaults, GLOB_PrefsPrivateCode, "the private prefs value isn't a dict"},
        {"<< >>", "<< /Dpi 300 >> q", GLOB_ParseObjectCode, "Unexpected operator"},
    };
    for (const auto& c : cases) {
        const GLOB_Doc doc = PrefsDoc(c.root);
        GLOB_PreferencesDoc prefs;
        const std::string failure = Failure([&] { prefs.Initialize(doc, GLOB_Name("Tintscope"), c.defaults); });
        EXPECT_EQ(failure.rfind(std::to_string(c.code) + " ", 0), 0u) << failure;
        EXPECT_NE(failure.find(c.message), std::string::npos) << failure;
        EXPECT_FALSE(prefs.IsInitialized());
        doc.Root().DictPut(GLOB_Name(GLOB_KeyVelmDornapPrefs), doc.NewDict(0, true));
        prefs.Initialize(doc, GLOB_Name("Tintscope"), Defaults);
        EXPECT_TRUE(prefs.PrivateDict().IsDeepEqual(doc.ParseObject(Defaults)));
    }
}

// The host keeps preferences as a file of PDF object text; written with the
// object writer and read back, every value survives.
TEST(GLOB_PreferencesDoc, FileRoundTripKeepsEveryValue) {
    const GLOB_Doc doc = PrefsDoc("<< /Other << /Dpi 72 >> >>");
    GLOB_PreferencesDoc prefs;
    prefs.Initialize(doc, GLOB_Name("Tintscope"), Defaults);
    prefs.PutDict(GLOB_Name("Window"), doc.ParseObject("<< /Scale -0.125 /Ink#20Name /Pantone#2F1 /W [0 640.5 null "
                                                       "false] /Path (C:\\\\a\\(1\\).pdf \\377\\000\\r\\n) >>")
                                           .AsDict());
    const ScratchDir dir;
    const std::string path = dir.File("Tintscope.pref");
    FILE* file = std::fopen(path.c_str(), "wb");
    ASSERT_NE(file, nullptr);
    GLOB_Stream stream(new GLOB_FileStream(file, true));
    GLOB_ObjectWriter writer(stream, GLOB_ObjectWriter::TokenRoom);
    GLOB_Dict catalog;
    catalog.Put(GLOB_KeyVelmDornapPrefs, GLOB_PreferencesDoc::RootDict(doc));
    writer.WriteText("%VelmDornapPrefs-1.0\n");
    writer.WriteDict(catalog);
    writer.Flush();
    stream.Close();

    const std::string text = ReadWholeFile(path);
    EXPECT_EQ(text.rfind("%VelmDornapPrefs-1.0\n<</VELM_Preferences << /Other << /Dpi 72 >> /Tintscope << /Dpi 300", 0),
              0u) << text;
    const GLOB_Doc again = PrefsDoc();
    const GLOB_Name key(GLOB_KeyVelmDornapPrefs);
    again.Root().DictPut(key, again.ParseObject(text.c_str()).DictGet(key));
    GLOB_PreferencesDoc reread;
    reread.Initialize(again, GLOB_Name("Tintscope"), Defaults);
    EXPECT_TRUE(GLOB_PreferencesDoc::RootDict(again).IsDeepEqual(GLOB_PreferencesDoc::RootDict(doc))) << text;
    EXPECT_EQ(reread.PrivateDict().GetPath("/Window/Path").AsString(), GLOB_String("C:\\a(1).pdf \xFF\0\r\n", 16));
}
