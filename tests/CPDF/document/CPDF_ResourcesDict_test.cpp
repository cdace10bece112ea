#include "CPDF/document/CPDF_ResourcesDict.h"

#include "CPDF/color/ColorSpaceTestUtil.h"
#include "CPDF/document/DocumentTestUtil.h"

#include "GLOB/GLOB_Dict.h"

#include <gtest/gtest.h>

#include <list>

namespace {

// A form XObject of doc whose "Resources" are resources (none for null).
GLOB_Object Form(const GLOB_Doc& doc, const char* resources = "<< >>") {
    const std::string dict = std::string("<< /Type /XObject /Subtype /Form") +
                             (resources ? std::string(" /Resources ") + resources : "") + " >>";
    return StoreStream(doc, "", dict.c_str());
}

// A Separation space of the ink name over DeviceCMYK, in PDF syntax.
std::string Sep(const char* ink) {
    return std::string("[/Separation /") + ink +
           " /DeviceCMYK << /FunctionType 2 /Domain [0 1] /C1 [0 0 1 0] /N 1 >>]";
}

// Which of the named dictionaries each listed dictionary is, as "A B …".
std::string Listed(const std::vector<CPDF_ResourcesDict>& dicts,
                   const std::vector<std::pair<std::string, GLOB_Object>>& named) {
    std::string text;
    for (const CPDF_ResourcesDict& dict : dicts) {
        std::string name = "?";
        for (const auto& n : named)
            if (n.second == dict.Dict())
                name = n.first;
        text += (text.empty() ? "" : " ") + name;
    }
    return text;
}

}  // namespace

TEST(CPDF_ResourcesDict, LookupsByCategoryAndName) {
    const GLOB_Doc doc = NewMemoryDoc();
    const CPDF_ResourcesDict resources(doc.ParseObject(
        "<< /Font << /F1 << /Type /Font /Id 1 >> >> /ExtGState << /GS1 << /Id 2 >> >>"
        " /XObject << /Im1 << /Id 3 >> >> /Pattern 5 /Properties << /MC0 << /Id 4 >> >> >>"));
    EXPECT_EQ(Printed(resources.Font(GLOB_Name("F1")).GetPath("Id")), "1");
    EXPECT_EQ(Printed(resources.ExtGState(GLOB_Name("GS1")).GetPath("Id")), "2");
    EXPECT_EQ(Printed(resources.XObject(GLOB_Name("Im1")).GetPath("Id")), "3");
    EXPECT_EQ(Printed(resources.Properties(GLOB_Name("MC0")).GetPath("Id")), "4");
    EXPECT_TRUE(resources.XObject(GLOB_Name("Im2")).IsNull());
    EXPECT_TRUE(resources.Shading(GLOB_Name("Sh1")).IsNull());
    // A category that is not a dictionary holds nothing.
    EXPECT_EQ(Printed(resources.PatternDict()), "5");
    EXPECT_TRUE(resources.Pattern(GLOB_Name("P1")).IsNull());
    EXPECT_TRUE(resources.FontDict().IsDict());
    EXPECT_TRUE(resources.ShadingDict().IsNull());

    // Resources that are not a dictionary: every reader and editor refuses.
    CPDF_ResourcesDict integer(Obj("5"));
    std::list<CPDF_ResourcesDict> list;
    const std::function<void()> calls[] = {
        [&] { integer.Category("Font"); },
        [&] { integer.XObject(GLOB_Name("Im1")); },
        [&] { integer.ColorSpaceDict(); },
        [&] { integer.PutResource("Font", GLOB_Name("F1"), Obj("1")); },
        [&] { integer.AddResource("XObject", "Im", Obj("1")); },
        [&] { integer.AddProcSet("PDF"); },
        [&] { integer.CollectNestedDicts(list, CPDF_ResourcesDict::OwnerAll); },
        [&] { integer.ColorSpace(GLOB_Name("CS0")); },
        [&] { std::vector<CPDF_Colorant> inks; integer.CollectSpotColorants(&inks, true, false); },
    };
    for (const auto& call : calls)
        EXPECT_EQ(Thrown(call), "1128004 Resources dictionary must be a dictionary, found Integer");
    EXPECT_EQ(Thrown([] { CPDF_ResourcesDict().Font(GLOB_Name("F1")); }),
              "1128004 Resources dictionary must be a dictionary, found Null");
}

TEST(CPDF_ResourcesDict, AddingResourcesAndProcedureSets) {
    const struct {
        const char* resources;
        const char* category;
        std::vector<std::string> keys;  // of three AddResource calls
    } cases[] = {
        {"<< >>", "XObject", {"Im1", "Im2", "Im3"}},
        {"<< /XObject << /Im1 1 /Im3 3 >> >>", "XObject", {"Im2", "Im4", "Im5"}},
        // A category that is not a dictionary is replaced.
        {"<< /XObject 5 >>", "XObject", {"Im1", "Im2", "Im3"}},
    };
    const GLOB_Doc doc = NewMemoryDoc();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.resources);
        CPDF_ResourcesDict resources(doc.ParseObject(c.resources));
        for (const std::string& key : c.keys) {
            // A value of another document is copied in.
            const GLOB_Object value = Obj("<< /Subtype /Image >>");
            EXPECT_EQ(resources.AddResource(c.category, "Im", value).CStr(), key);
            const GLOB_Object stored = resources.XObject(GLOB_Name(key.c_str()));
            EXPECT_EQ(stored.GetImpl(), doc.Impl());
            EXPECT_TRUE(stored.HasSubtype("Image"));
        }
    }

    CPDF_ResourcesDict resources(doc.ParseObject("<< /Font 1 /ProcSet /PDF >>"));
    resources.PutResource("Font", GLOB_Name("F1"), Obj("<< /Id 7 >>"));
    resources.PutResource("Font", GLOB_Name("F1"), Obj("<< /Id 8 >>"));
    EXPECT_EQ(Printed(resources.Font(GLOB_Name("F1")).GetPath("Id")), "8");
    EXPECT_EQ(resources.FontDict().GetImpl(), doc.Impl());

    resources.AddProcSet("Text");
    resources.AddProcSet("Text");
    resources.SetProcSets(CPDF_ResourcesDict::ProcSetImageI | CPDF_ResourcesDict::ProcSetPDF |
                          CPDF_ResourcesDict::ProcSetText);
    EXPECT_EQ(Printed(resources.Category("ProcSet")), "[ /Text /PDF /ImageI ]");
}

TEST(CPDF_ResourcesDict, OwnersAndInheritedResources) {
    const GLOB_Doc doc = NewMemoryDoc();
    const struct {
        std::string owner;
        uint32_t kind;
    } owners[] = {
        {"<< /Type /Font /Subtype /Type3 /Resources << >> >>", CPDF_ResourcesDict::OwnerType3Font},
        {"<< /Type /Page /Resources << >> >>", CPDF_ResourcesDict::OwnerPage},
        {"<< /Type /Pages /Resources << >> >>", CPDF_ResourcesDict::OwnerPage},
        {"<< /Type /Font /Subtype /Type1 /Resources << >> >>", CPDF_ResourcesDict::OwnerNone},
        {"stream << /Type /XObject /Subtype /Form /Resources << >> >>", CPDF_ResourcesDict::OwnerForm},
        {"stream << /Type /Pattern /PatternType 1 /Resources << >> >>", CPDF_ResourcesDict::OwnerTilingPattern},
        {"stream << /Type /Pattern /PatternType 1.0 /Resources << >> >>", CPDF_ResourcesDict::OwnerNone},
        {"stream << /Type /Pattern /PatternType 2 /Resources << >> >>", CPDF_ResourcesDict::OwnerNone},
        {"stream << /Subtype /Form /Resources << >> >>", CPDF_ResourcesDict::OwnerNone},
    };
    for (const auto& o : owners) {
        SCOPED_TRACE(o.owner);
        const bool stream = o.owner.compare(0, 7, "stream ") == 0;
        const GLOB_Object owner =
            stream ? StoreStream(doc, "", o.owner.substr(7).c_str()) : doc.ParseObject(o.owner.c_str());
        CPDF_ResourcesDict resources;
        resources.SetOwner(owner);
        EXPECT_TRUE(resources.Dict() == owner.GetPath("Resources"));
        EXPECT_TRUE(resources.Owner() == owner);
        EXPECT_EQ(resources.OwnerKind(), o.kind);
        // Copies keep the dictionary, not the owner.
        const CPDF_ResourcesDict copy(resources);
        EXPECT_TRUE(copy.Dict() == resources.Dict());
        EXPECT_TRUE(copy.Owner().IsNull());
    }

    CPDF_ResourcesDict resources;
    for (const GLOB_Object& owner : {Form(doc, nullptr), Form(doc, "5"), Obj("7")}) {
        resources.SetOwner(owner);
        EXPECT_TRUE(resources.Dict().IsNull());
        EXPECT_TRUE(resources.Owner().IsNull());
    }

    // A page takes the first dictionary up its Parents; anything else its
    // own "Resources", whatever they are.
    const GLOB_Object page =
        Chain(doc, {"<< /Type /Page /Resources 5 >>", "<< /Type /Pages >>", "<< /Resources << /Id 1 >> >>"});
    resources.SetFromObject(page);
    EXPECT_EQ(Printed(resources.Dict().GetPath("Id")), "1");
    EXPECT_TRUE(resources.Owner() == page.GetPath("Parent").GetPath("Parent"));
    resources.SetFromObject(doc.ParseObject("<< /Type /Page >>"));
    EXPECT_TRUE(resources.Dict().IsNull());
    const GLOB_Object form = Form(doc, "5");
    resources.SetFromObject(form);
    EXPECT_EQ(Printed(resources.Dict()), "5");
    EXPECT_TRUE(resources.Owner() == form);
    resources.SetFromObject(Obj("[1]"));
    EXPECT_TRUE(resources.Dict().IsNull());
    EXPECT_TRUE(resources.Owner().IsNull());
}

TEST(CPDF_ResourcesDict, NestedWalk) {
    const GLOB_Doc doc = NewMemoryDoc();
    // Page: XObject {Fm1 (holding Fm2 and the tiling pattern Pin), Im1,
    // NoRes}, Pattern {P1 tiling, P2 shading}, Font {T3, F1}.
    const GLOB_Object page = doc.ParseObject("<< >>");
    const GLOB_Object fm1 = Form(doc), fm2 = Form(doc), noRes = Form(doc, nullptr);
    const GLOB_Object p1 = StoreStream(doc, "", "<< /PatternType 1 /Resources << >> >>");
    const GLOB_Object pin = StoreStream(doc, "", "<< /PatternType 1 /Resources << >> >>");
    const GLOB_Object t3 = doc.ParseObject("<< /Type /Font /Subtype /Type3 /Resources << >> >>");
    fm1.GetPath("Resources").PutPath("XObject", doc.ParseObject("<< >>"));
    fm1.GetPath("Resources").GetPath("XObject").PutPath("Fm2", fm2);
    fm1.GetPath("Resources").PutPath("Pattern", doc.ParseObject("<< >>"));
    fm1.GetPath("Resources").GetPath("Pattern").PutPath("Pin", pin);
    page.PutPath("XObject", doc.ParseObject("<< /Im1 << /Subtype /Image >> >>"));
    page.GetPath("XObject").PutPath("Fm1", fm1);
    page.GetPath("XObject").PutPath("NoRes", noRes);
    page.PutPath("Pattern", doc.ParseObject("<< /P2 << /PatternType 2 /Resources << >> >> >>"));
    page.GetPath("Pattern").PutPath("P1", p1);
    page.PutPath("Font", doc.ParseObject("<< /F1 << /Subtype /Type1 /Resources << >> >> >>"));
    page.GetPath("Font").PutPath("T3", t3);
    const std::vector<std::pair<std::string, GLOB_Object>> named = {
        {"page", page},
        {"Fm1", fm1.GetPath("Resources")},
        {"Fm2", fm2.GetPath("Resources")},
        {"Pin", pin.GetPath("Resources")},
        {"P1", p1.GetPath("Resources")},
        {"T3", t3.GetPath("Resources")}};

    const struct {
        uint32_t mask;
        std::string listed;
    } cases[] = {
        {CPDF_ResourcesDict::OwnerAll, "page Fm1 Fm2 Pin P1 T3"},
        {CPDF_ResourcesDict::OwnerForm, "page Fm1 Fm2"},
        // The walk goes through forms that the mask leaves out.
        {CPDF_ResourcesDict::OwnerTilingPattern, "page Pin P1"},
        {CPDF_ResourcesDict::OwnerType3Font, "page T3"},
        {CPDF_ResourcesDict::OwnerNone, "page"},
    };
    const CPDF_ResourcesDict resources(page);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mask);
        std::vector<CPDF_ResourcesDict> dicts(3);
        resources.WithNested(dicts, c.mask);
        EXPECT_EQ(Listed(dicts, named), c.listed);
    }
}

TEST(CPDF_ResourcesDict, NestedWalkEndsOnCyclesAndDepth) {
    const GLOB_Doc doc = NewMemoryDoc();
    // A form used twice, a form that holds itself, and a form whose
    // resources are the page's (indirect, as a file shares them).
    const GLOB_Object page = doc.NewDict(0, true);
    page.PutPath("XObject", doc.ParseObject("<< >>"));
    const GLOB_Object twice = Form(doc), self = Form(doc), shared = Form(doc, nullptr);
    self.GetPath("Resources").PutPath("XObject", doc.ParseObject("<< >>"));
    self.GetPath("Resources").GetPath("XObject").PutPath("Me", self);
    shared.PutPath("Resources", page);
    const GLOB_Object xobjects = page.GetPath("XObject");
    xobjects.PutPath("A", twice);
    xobjects.PutPath("B", twice);
    xobjects.PutPath("C", self);
    xobjects.PutPath("D", shared);
    std::vector<CPDF_ResourcesDict> dicts;
    CPDF_ResourcesDict(page).WithNested(dicts, CPDF_ResourcesDict::OwnerAll);
    const std::vector<std::pair<std::string, GLOB_Object>> named = {
        {"page", page}, {"twice", twice.GetPath("Resources")}, {"self", self.GetPath("Resources")}};
    // Each is listed once, where first met.
    EXPECT_EQ(Listed(dicts, named), "page twice self");

    // The page is level 1: 511 nested forms are walked, 512 are refused.
    for (const int levels : {511, 512}) {
        SCOPED_TRACE(levels);
        GLOB_Object resources = doc.ParseObject("<< >>");
        for (int i = 0; i < levels; ++i) {
            const GLOB_Object form = Form(doc);
            form.PutPath("Resources", resources);
            resources = doc.ParseObject("<< /XObject << >> >>");
            resources.GetPath("XObject").PutPath("Fm", form);
        }
        std::list<CPDF_ResourcesDict> list;
        EXPECT_EQ(Thrown([&] { CPDF_ResourcesDict(resources).CollectNestedDicts(list, CPDF_ResourcesDict::OwnerAll); }),
                  levels == 511 ? "no exception" : "1128004 Resources nested deeper than 512 levels");
        EXPECT_EQ(list.size(), levels == 511 ? 511u : 0u);
    }
}

TEST(CPDF_ResourcesDict, ColorSpacesOfShadingsImagesAndPatterns) {
    const GLOB_Doc doc = NewMemoryDoc();
    const GLOB_Object page = doc.ParseObject(
        "<< /Shading << /Sh1 << /ShadingType 2 /ColorSpace /DeviceRGB >> /Sh2 5 >>"
        " /ColorSpace << /CS0 /DeviceGray /CS1 [/Indexed /DeviceRGB 1 <000000FFFFFF>] >>"
        " /XObject << /Bad 7 >> /Pattern << /P3 /Oops >> /Font << /F1 << /ColorSpace /DeviceCMYK >> >> >>");
    page.GetPath("XObject").PutPath("Im1", StoreStream(doc, "", "<< /Subtype /Image /ColorSpace /DeviceCMYK >>"));
    const char* calRGB = "<< /ColorSpace << /CS0 [/CalRGB << /WhitePoint [0.95 1 1.09] >>] >> >>";
    page.GetPath("XObject").PutPath("Fm1", Form(doc, calRGB));
    page.GetPath("XObject").PutPath("Fm2", Form(doc, nullptr));
    // A shading pattern over a mesh shading stream, and a tiling pattern.
    const GLOB_Object mesh =
        StoreStream(doc, "", "<< /ShadingType 4 /ColorSpace [/Lab << /WhitePoint [0.95 1 1.09] >>] >>");
    page.GetPath("Pattern").PutPath("P1", doc.ParseObject("<< /PatternType 2 >>"));
    page.GetPath("Pattern").GetPath("P1").PutPath("Shading", mesh);
    page.GetPath("Pattern").PutPath("P2",
                                    StoreStream(doc, "", "<< /PatternType 1 /Shading << /ColorSpace /DeviceN >> >>"));

    const CPDF_ResourcesDict resources(page);
    EXPECT_EQ(resources.ColorSpace(GLOB_Name("CS0")).Type(), CPDF_ColorSpace::DeviceGray);
    EXPECT_TRUE(resources.ColorSpace(GLOB_Name("CS9")).IsNull());
    const struct {
        bool thisDictOnly;
        bool clearFirst;
        std::string families;
    } cases[] = {
        {true, true, "DeviceRGB DeviceGray Indexed DeviceCMYK Lab"},
        {false, true, "DeviceRGB DeviceGray Indexed DeviceCMYK Lab CalRGB"},
        {true, false, "Pattern DeviceRGB DeviceGray Indexed DeviceCMYK Lab"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.families);
        const LogCapture log;
        std::vector<CPDF_ColorSpace> spaces = {CPDF_ColorSpace(Obj("/Pattern"))};
        resources.CollectColorSpaces(&spaces, c.thisDictOnly, c.clearFirst);
        std::string families;
        for (const CPDF_ColorSpace& space : spaces)
            families += (families.empty() ? "" : " ") + std::string(space.FamilyName().CStr());
        EXPECT_EQ(families, c.families);
        EXPECT_TRUE(log.Contains(GLIB_LogWarning, "Found invalid shading colorspace: 5"));
        EXPECT_TRUE(log.Contains(GLIB_LogWarning, "Found invalid xObject: 7"));
        EXPECT_TRUE(log.Contains(GLIB_LogWarning, "Found invalid pattern: /Oops"));
    }

    // A colour space that is not one fails the whole collection, its
    // message led by the resource that holds it.
    page.GetPath("ColorSpace").PutPath("CS2", doc.ParseObject("/Foo"));
    std::vector<CPDF_ColorSpace> spaces(1);
    EXPECT_EQ(Thrown([&] { resources.CollectColorSpaces(&spaces, false, false); }),
              "1128003 colour space /CS2: Unknown ColorSpace name: Foo");
    EXPECT_EQ(spaces.size(), 1u);
    page.GetPath("ColorSpace").RemovePath("CS2");
    page.GetPath("XObject").PutPath("Im9", StoreStream(doc, "", "<< /Subtype /Image /ColorSpace /Bar >>"));
    EXPECT_EQ(Thrown([&] { resources.CollectColorSpaces(&spaces, true, false); }),
              "1128003 image /Im9: Unknown ColorSpace name: Bar");
    page.GetPath("XObject").RemovePath("Im9");
    page.GetPath("Shading").PutPath("Sh9", doc.ParseObject("<< /ShadingType 2 /ColorSpace /Baz >>"));
    EXPECT_EQ(Thrown([&] { resources.CollectColorSpaces(&spaces, true, false); }),
              "1128003 shading /Sh9: Unknown ColorSpace name: Baz");
    EXPECT_EQ(spaces.size(), 1u);
}

TEST(CPDF_ResourcesDict, SpotColorantsOfAPageAndItsForms) {
    const GLOB_Doc doc = NewMemoryDoc();
    const GLOB_Object page = doc.ParseObject(("<< /ColorSpace << /CS0 " + Sep("Gold") + " /CS1 " + Sep("Cyan") +
                                              " /CS2 [/Indexed " + Sep("Silver") + " 1 <00FF>] /CS3 " + Sep("All") +
                                              " >> /XObject << >> >>").c_str());
    const GLOB_Object xobjects = page.GetPath("XObject");
    const std::string deviceN = "[/DeviceN [/Cyan /Orange] /DeviceCMYK 0]";
    xobjects.PutPath("Im1", StoreStream(doc, "", ("<< /Subtype /Image /ColorSpace " + deviceN + " >>").c_str()));
    const std::string mask = "<< /Subtype /Image /ImageMask true /ColorSpace " + Sep("Purple") + " >>";
    xobjects.PutPath("Im2", StoreStream(doc, "", mask.c_str()));
    const std::string goldRed = "<< /ColorSpace << /G " + Sep("Gold") + " /R " + Sep("Red") + " >> >>";
    const GLOB_Object outer = Form(doc, goldRed.c_str());
    const GLOB_Object inner = Form(doc, ("<< /ColorSpace << /B " + Sep("Blue") + " >> >>").c_str());
    outer.GetPath("Resources").PutPath("XObject", doc.ParseObject("<< >>"));
    outer.GetPath("Resources").GetPath("XObject").PutPath("Inner", inner);
    xobjects.PutPath("Fm1", outer);

    const CPDF_ResourcesDict resources(page);
    const auto inks = [&](bool thisDictOnly, bool clearFirst) {
        std::vector<CPDF_Colorant> colorants = CPDF_ColorSpaceCore::ProcessColorants();
        resources.CollectSpotColorants(&colorants, thisDictOnly, clearFirst);
        return Names(colorants);
    };
    using Inks = std::vector<std::string>;
    const Inks all = {"Cyan", "Magenta", "Yellow", "Black", "Gold", "Silver", "Orange", "Red", "Blue"};
    EXPECT_EQ(inks(false, false), all);
    EXPECT_EQ(inks(true, false), Inks(all.begin(), all.begin() + 7));
    EXPECT_EQ(inks(false, true), Inks(all.begin() + 4, all.end()));

    // A form without resources changes nothing; one that holds itself is
    // walked once.
    xobjects.PutPath("Fm2", Form(doc, nullptr));
    EXPECT_EQ(inks(false, false), all);
    const GLOB_Object self = Form(doc, ("<< /ColorSpace << /V " + Sep("Violet") + " >> /XObject << >> >>").c_str());
    self.GetPath("Resources").GetPath("XObject").PutPath("Me", self);
    xobjects.PutPath("Fm3", self);
    Inks withViolet = all;
    withViolet.push_back("Violet");
    EXPECT_EQ(inks(false, false), withViolet);
}

namespace {

// An indirect dictionary or array of the entries text writes.
GLOB_Object Indirect(const GLOB_Doc& doc, const std::string& text) {
    const GLOB_Object parsed = doc.ParseObject(text.c_str());
    if (parsed.IsArray()) {
        const GLOB_Object array = doc.NewArray(0, true);
        for (uint32_t i = 0; i < parsed.Length(); ++i)
            array.ArrayPut(i, parsed.Get(i));
        return array;
    }
    const GLOB_Object dict = doc.NewDict(0, true);
    const GLOB_Dict entries = parsed.AsDict();
    GLOB_Name key;
    GLOB_Object value;
    for (uint32_t i = 0; entries.Entry(i, &key, &value); ++i)
        dict.DictPut(key, value);
    return dict;
}

// The spot inks a space names, read from its array as written.
void InksOfSpace(const GLOB_Object& space, std::vector<std::string>& inks) {
    if (!space.IsArray() || space.Length() < 2 || !space.Get(0).IsName())
        return;
    const std::string family = space.Get(0).AsName().CStr();
    std::vector<std::string> names;
    if (family == "Separation")
        names.push_back(space.Get(1).AsName().CStr());
    else if (family == "DeviceN")
        for (uint32_t i = 0; i < space.Get(1).Length(); ++i)
            names.push_back(space.Get(1).Get(i).AsName().CStr());
    else if (family == "Indexed")
        InksOfSpace(space.Get(1), inks);
    for (const std::string& name : names) {
        const bool process = name == "Cyan" || name == "Magenta" || name == "Yellow" || name == "Black" ||
                             name == "All" || name == "None";
        if (!process && std::find(inks.begin(), inks.end(), name) == inks.end())
            inks.push_back(name);
    }
}

// Every value of a category, in order.
std::vector<GLOB_Object> Values(const GLOB_Object& resources, const char* category) {
    std::vector<GLOB_Object> values;
    const GLOB_Object dict = resources.GetPath(category);
    if (!dict.IsDict())
        return values;
    const GLOB_Dict entries = dict.AsDict();
    GLOB_Object value;
    for (uint32_t i = 0; entries.Entry(i, nullptr, &value); ++i)
        values.push_back(value);
    return values;
}

// A walk that remembers nothing but the dictionaries on its way down, so
// that it reads a dictionary again wherever it is named; visits counts them.
void FullWalk(const GLOB_Object& resources, std::vector<GLOB_Object>& path, std::vector<std::string>& inks,
              size_t& visits) {
    ++visits;
    for (const GLOB_Object& shading : Values(resources, "Shading"))
        InksOfSpace(shading.GetPath("ColorSpace"), inks);
    for (const GLOB_Object& space : Values(resources, "ColorSpace"))
        InksOfSpace(space, inks);
    for (const GLOB_Object& xobject : Values(resources, "XObject"))
        if (xobject.HasSubtype("Image"))
            InksOfSpace(xobject.GetPath("ColorSpace"), inks);
    for (const GLOB_Object& pattern : Values(resources, "Pattern"))
        if (pattern.GetPath("Shading").IsDict())
            InksOfSpace(pattern.GetPath("Shading").GetPath("ColorSpace"), inks);
    path.push_back(resources);
    for (const char* category : {"XObject", "Pattern", "Font"})
        for (const GLOB_Object& owner : Values(resources, category)) {
            const bool nests = owner.HasSubtype("Form") || owner.HasSubtype("Type3") ||
                               (owner.IsStream() && Printed(owner.GetPath("PatternType")) == "1");
            const GLOB_Object inner = nests ? owner.GetPath("Resources") : GLOB_Object();
            if (inner.IsDict() && std::find(path.begin(), path.end(), inner) == path.end())
                FullWalk(inner, path, inks, visits);
        }
    path.pop_back();
}

// Forms that share their resources at four depths, each named under
// `names` keys of the lists that hold it, and `extra` more forms of
// resources of their own that name the shared list below them. Spot inks
// at every depth; a form whose list names itself, and a Type3 font whose
// resources name a form above it.
GLOB_Object SharingPage(const GLOB_Doc& doc, int names, int extra) {
    const auto named = [&](const GLOB_Object& list, const char* prefix, const GLOB_Object& value) {
        for (int i = 0; i < names; ++i)
            list.PutPath((prefix + std::to_string(i)).c_str(), value);
    };
    const GLOB_Object silver = Indirect(doc, "[/Indexed " + Sep("Silver") + " 1 <00FF>]");
    const GLOB_Object upper = Indirect(doc, "<< >>"), lower = Indirect(doc, "<< >>");
    // Depth 1: two forms of one resources dictionary.
    const GLOB_Object shared = Indirect(doc, "<< /ColorSpace << /S 0 >> /Pattern << >> >>");
    shared.PutPath("/ColorSpace/S", silver);
    shared.PutPath("XObject", lower);
    const GLOB_Object a = Form(doc, nullptr), b = Form(doc, nullptr);
    a.PutPath("Resources", shared);
    b.PutPath("Resources", shared);
    named(upper, "A", a);
    named(upper, "B", b);
    // Depth 2: forms of resources of their own sharing the list they are in.
    const GLOB_Object c = Form(doc, ("<< /ColorSpace << /B " + Sep("Blue") + " >> /Font << >> >>").c_str());
    c.PutPath("/Resources/XObject", lower);
    const GLOB_Object spaces = Indirect(doc, "<< /O [/DeviceN [/Orange /Cyan] /DeviceCMYK 0] >>");
    spaces.PutPath("S", silver);
    const GLOB_Object d = Form(doc, ("<< /Shading << /Sh << /ShadingType 2 /ColorSpace " + Sep("Green") +
                                     " >> >> /XObject << >> >>").c_str());
    d.PutPath("/Resources/ColorSpace", spaces);
    d.PutPath("/Resources/XObject/Me", d);
    d.PutPath("/Resources/XObject/Im",
              StoreStream(doc, "", ("<< /Subtype /Image /ColorSpace " + Sep("Red") + " >>").c_str()));
    named(lower, "C", c);
    named(lower, "D", d);
    for (int i = 0; i < extra; ++i) {
        const GLOB_Object own = Form(doc, "<< >>");
        own.PutPath("/Resources/XObject", lower);
        upper.PutPath(("E" + std::to_string(i)).c_str(), own);
    }
    // Depth 3: a tiling pattern and a Type3 font, the font naming A again.
    const GLOB_Object tiling =
        StoreStream(doc, "", ("<< /PatternType 1 /Resources << /ColorSpace << /V " + Sep("Violet") + " >> >> >>").c_str());
    tiling.PutPath("/Resources/XObject", lower);
    named(shared.GetPath("Pattern"), "P", tiling);
    const GLOB_Object font = doc.ParseObject(("<< /Type /Font /Subtype /Type3 /Resources << /ColorSpace << /Y " +
                                              Sep("Yellow") + " >> /Pattern << /Sp << /PatternType 2 /Shading << "
                                              "/ShadingType 2 /ColorSpace " + Sep("Pink") + " >> >> >> >> >>").c_str());
    font.PutPath("/Resources/XObject", doc.ParseObject("<< >>"));
    named(font.GetPath("/Resources/XObject"), "Up", a);
    named(c.GetPath("/Resources/Font"), "T", font);

    const GLOB_Object page = Indirect(doc, ("<< /ColorSpace << /G " + Sep("Gold") + " >> >>").c_str());
    page.PutPath("XObject", upper);
    return page;
}

}  // namespace

// Forms sharing dictionaries and lists of resources: the inks are those a
// walk reading every dictionary wherever it is named finds, in its order,
// while each dictionary and colour space is read once, however often named.
TEST(CPDF_ResourcesDict, SharedResourcesAreReadOncePerPage) {
    // Pre-order: the page, A and B, C, D within C's list, C's font, the
    // pattern of A and B.
    const std::vector<std::string> known = {"Gold", "Silver", "Blue", "Green", "Orange", "Red", "Pink", "Violet"};
    const struct {
        int names, extra;
        size_t dicts;  // the page, A and B's, C's, D's, the pattern's, the font's, and the extra forms'
    } rows[] = {{1, 0, 6}, {3, 0, 6}, {40, 0, 6}, {1, 5, 11}, {40, 5, 11}};
    size_t fullVisits[2] = {0, 0};
    for (const auto& row : rows) {
        SCOPED_TRACE(std::to_string(row.names) + " names, " + std::to_string(row.extra) + " forms more");
        const GLOB_Doc doc = NewMemoryDoc();
        const CPDF_ResourcesDict resources(SharingPage(doc, row.names, row.extra));
        std::vector<CPDF_Colorant> inks;
        resources.CollectSpotColorants(&inks, false, false);
        EXPECT_EQ(Names(inks), known);
        if (row.names <= 3) {
            std::vector<GLOB_Object> path;
            std::vector<std::string> full;
            size_t visits = 0;
            FullWalk(resources.Dict(), path, full, visits);
            EXPECT_EQ(full, Names(inks));
            if (row.extra == 0)
                fullVisits[row.names == 1 ? 0 : 1] = visits;
        }
        std::vector<CPDF_ResourcesDict> dicts;
        resources.WithNested(dicts, CPDF_ResourcesDict::OwnerAll);
        EXPECT_EQ(dicts.size(), row.dicts);
        // Silver's Indexed space and the rest, each once: the page's Gold,
        // Silver, Green, Orange's DeviceN, Red, Blue, Yellow, Pink, Violet.
        std::vector<CPDF_ColorSpace> spaces;
        resources.CollectColorSpaces(&spaces, false, false);
        EXPECT_EQ(spaces.size(), 9u);
    }
    // The full walk reads what is named more often again and again.
    EXPECT_GT(fullVisits[1], 3 * fullVisits[0]);
}
