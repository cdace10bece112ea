#include "Exchange/ZOVA/ZOVA_View.h"

#include "CPDF/document/DocumentTestUtil.h"
#include "Exchange/XCHG/XCHG_HostBinding.h"
#include "hostpdf/PDFL_ExceptionHandler.h"
#include "GLOB/GLOB_Stream.h"
#include "GLOB/GLOB_StringStream.h"
#include "viewer/VIEW_Host.h"
#include "viewer/VIEW_Recorder.h"
#include "separation/CSEP_TempFile.h"
#include "win32/TmpDirScope.h"

#include <functional>

namespace {

const char* const kLetter = "/MediaBox [0 0 612 792]";

// A tint transform from 0 to c1 over one input.
std::string Tint(const std::string& c1) {
    std::string c0 = c1;
    for (char& c : c0)
        c = c == ' ' ? ' ' : '0';
    return "<< /FunctionType 2 /Domain [0 1] /N 1 /C0 [" + c0 + "] /C1 [" + c1 + "] >>";
}

// The only page of a new memory document: the page's entries and those of
// its Pages node, which the page inherits.
ZOVA_HeldPage OnePage(const std::string& page, const std::string& root = "") {
    const CPDF_Doc doc = DocWithTree(
        ("<< /Type /Pages /Count 1 " + root + " /Kids [ << /Type /Page " + page + " >> ] >>").c_str());
    return ZOVA_HeldPage(doc, 0);
}

ZOVA_HeldPage LetterPage(const std::string& more = "") {
    return OnePage(std::string(kLetter) + " /Resources << >> " + more);
}

// Letter with the spot inks Gold (a CMYK alternate) and Ruby (an RGB one,
// red) in its colour spaces, Cyan as a Separation
// (a process ink, listed once), and Olive (a gray alternate) only in the
// resources of a form it draws.
ZOVA_HeldPage SpotPage() {
    const ZOVA_HeldPage held = OnePage(std::string(kLetter) +
                                       " /Resources << /ColorSpace << "
                                       "/CS0 [/Separation /Gold /DeviceCMYK " + Tint("0.1 0.9 0 0.2") + "] "
                                       "/CS1 [/Separation /Ruby /DeviceRGB " + Tint("1 0 0") + "] "
                                       "/CS2 [/Separation /Cyan /DeviceCMYK " + Tint("1 0 0 0") + "] "
                                       ">> >>");
    const GLOB_Doc& doc = held.Doc();
    const GLOB_Object form = doc.NewStream(
        GLOB_Stream(new GLOB_StringStream("/CS0 cs 1 scn 0 0 1 1 re f")), 1,
        doc.ParseObject(("<< /Type /XObject /Subtype /Form /BBox [0 0 1 1] /Resources << /ColorSpace << /CS0 "
        "[/Separation /Olive /DeviceGray " + Tint("0.3") + "] >> >> >>").c_str()),
        GLOB_Object(), -1);
    const GLOB_Object xobjects = doc.ParseObject("<< >>");
    xobjects.PutPath("Fm0", form);
    held.Page().ResourcesDict().Dict().PutPath("XObject", xobjects);
    return held;
}

// Letter whose spot ink Lead has a tint transform that empties its stack.
ZOVA_HeldPage UnderflowPage() {
    const ZOVA_HeldPage held = LetterPage();
    const GLOB_Doc& doc = held.Doc();
    const GLOB_Object program = doc.NewStream(
        GLOB_Stream(new GLOB_StringStream("{ pop pop }")), 1,
        doc.ParseObject("<< /FunctionType 4 /Domain [0 1] /Range [0 1 0 1 0 1 0 1] >>"), GLOB_Object(), -1);
    const GLOB_Object space = doc.ParseObject("[/Separation /Lead /DeviceCMYK 0]");
    space.ArrayPut(3, program);
    const GLOB_Object spaces = doc.ParseObject("<< >>");
    spaces.PutPath("CS0", space);
    held.Page().ResourcesDict().Dict().PutPath("ColorSpace", spaces);
    return held;
}

std::vector<double> Components(const CPDF_Color& color) {
    return std::vector<double>(color.Components(), color.Components() + color.NumComponents());
}

std::string Point(const GLIB_Point& p) { return Streamed(p.X()) + " " + Streamed(p.Y()); }

}  // namespace

TEST(ZOVA_View, InksAreTheProcessInksThenTheSpotsAllShown) {
    const struct {
        const char* name;
        ZOVA_HeldPage page;
        std::vector<std::string> inks;
        std::vector<std::vector<double>> colors;
    } cases[] = {
        {"no spots", LetterPage(), {"Cyan", "Magenta", "Yellow", "Black"},
         {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}}},
        // Ruby's red RGB alternate gives its CMYK equivalent.
        {"spots", SpotPage(), {"Cyan", "Magenta", "Yellow", "Black", "Gold", "Ruby", "Olive"},
         {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}, {0.1, 0.9, 0, 0.2}, {0, 1, 1, 0}, {0, 0, 0, 0.7}}},
        // A blank page may leave its resources out, on itself and its parents.
        {"no resources", OnePage(kLetter), {"Cyan", "Magenta", "Yellow", "Black"},
         {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ZOVA_View view;
        view.SetPage(c.page);
        ASSERT_EQ(view.NumColorants(), static_cast<int32_t>(c.inks.size()));
        std::vector<CPDF_Colorant> names = {CPDF_Colorant("stale")};
        view.ColorantNames(names);
        std::vector<CPDF_Color> colors = {CPDF_Color(), CPDF_Color()};
        view.ColorantColors(colors);
        ASSERT_EQ(names.size(), c.inks.size());
        ASSERT_EQ(colors.size(), c.inks.size());
        for (int32_t i = 0; i < view.NumColorants(); ++i) {
            SCOPED_TRACE(c.inks[i]);
            EXPECT_EQ(Streamed(names[i]), c.inks[i]);
            EXPECT_TRUE(view.IsColorantShown(i));
            EXPECT_EQ(colors[i], view.ColorantColor(i));
            ASSERT_EQ(view.ColorantColor(i).NumComponents(), 4u);
            for (unsigned k = 0; k < 4; ++k)
                EXPECT_NEAR(view.ColorantColor(i).Component(k), c.colors[i][k], 1e-12) << k;
        }
        EXPECT_EQ(view.Page().Doc().Root(), c.page.Doc().Root());
    }
}

TEST(ZOVA_View, FailuresOtherThanAMissingEquivalentPassOnAndLeaveTheViewCleared) {
    const struct {
        const char* name;
        ZOVA_HeldPage page;
        std::string thrown;
    } cases[] = {
        {"tint transform of a wrong type", OnePage(std::string(kLetter) +
                                                   " /Resources << /ColorSpace << /CS0 "
                                                   "[/Separation /Bad /DeviceCMYK 5] >> >>"),
         "1128007 A Function must be a Stream or Dictionary, found: Integer"},
        {"tint transform that fails when run", UnderflowPage(), "1128016 Stack underflow"},
        {"resources that are no dictionary", OnePage(std::string(kLetter) + " /Resources 5"),
         "1128004 Resource dictionary must be a dictionary, found 5"},
        {"no media box", OnePage("/Resources << >>"), "1128004 Page missing media box"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ZOVA_View view;
        view.SetPage(SpotPage());
        view.SetColorantShown(0, false);
        EXPECT_EQ(Thrown([&] { view.SetPage(c.page); }), c.thrown);
        EXPECT_TRUE(view.Page().IsNull());
        EXPECT_EQ(view.NumColorants(), 0);
        std::vector<CPDF_Color> colors(3);
        view.ColorantColors(colors);
        EXPECT_TRUE(colors.empty());
    }
}

// A page whose contents changed for the worse stays held, with the inks
// that separating it would gather.
TEST(ZOVA_View, AReloadedPageThatFailsIsStillHeld) {
    const struct {
        const char* name;
        ZOVA_HeldPage page;
        std::vector<std::string> inks;
    } cases[] = {
        {"spots that cannot be gathered", OnePage(std::string(kLetter) + " /Resources << /ColorSpace << /CS0 /Foo >> >>"),
         {"Cyan", "Magenta", "Yellow", "Black"}},
        {"a tint transform that fails when run", UnderflowPage(), {"Cyan", "Magenta", "Yellow", "Black", "Lead"}},
        {"no media box", OnePage("/Resources << >>"), {"Cyan", "Magenta", "Yellow", "Black"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ZOVA_View view;
        view.SetPage(SpotPage());
        view.SetColorantShown(0, false);
        EXPECT_EQ(Thrown([&] { view.ReloadPage(c.page); }), "no exception");
        EXPECT_EQ(view.Page().Doc().Root(), c.page.Doc().Root());
        std::vector<CPDF_Colorant> names;
        view.ColorantNames(names);
        ASSERT_EQ(names.size(), c.inks.size());
        for (size_t i = 0; i < names.size(); ++i) {
            EXPECT_EQ(Streamed(names[i]), c.inks[i]);
            EXPECT_TRUE(view.IsColorantShown(static_cast<int32_t>(i)));
            EXPECT_EQ(view.ColorantColor(static_cast<int32_t>(i)).NumComponents(), 4u);
        }
        EXPECT_EQ(view.ColorantColor(0).Component(0), 1.0) << "a process ink keeps its equivalent";
    }
    // A page that is fine reloads as SetPage makes it.
    ZOVA_View view;
    view.ReloadPage(SpotPage());
    EXPECT_EQ(view.NumColorants(), 7);
    EXPECT_EQ(view.MaxResolution(), 5);
}

TEST(ZOVA_View, PageBoxGivesTheLargestResolution) {
    const struct {
        const char* page;
        const char* root;
        int32_t maxResolution;
        int32_t resolution;
        const char* box;
        int32_t fitIn400;  // Fit in a 400 × 400 view
    } cases[] = {
        {kLetter, "", 5, 2, "0 0 612 792", 36},  // 2301696 / 792 = 2906 dpi
        {"/MediaBox [0 0 8000 100]", "", 1, 1, "0 0 8000 100", 3},  // 287 dpi
        // The limit of each resolution, on both sides of it: 2400, 1200, 600, 300 dpi.
        {"/MediaBox [0 0 500 959]", "", 5, 2, "0 0 500 959", 30},    // 2400.1
        {"/MediaBox [0 0 960 500]", "", 4, 2, "0 0 960 500", 30},    // 2397.6
        {"/MediaBox [0 0 1918 10]", "", 4, 2, "0 0 1918 10", 15},    // 1200.05
        {"/MediaBox [0 0 10 1919]", "", 3, 2, "0 0 10 1919", 15},    // 1199.4
        {"/MediaBox [0 0 3836 3836]", "", 3, 2, "0 0 3836 3836", 7}, // 600.03
        {"/MediaBox [0 0 3837 1]", "", 2, 2, "0 0 3837 1", 7},       // 599.9
        {"/MediaBox [0 0 7672 7672]", "", 2, 2, "0 0 7672 7672", 3}, // 300.01
        {"/MediaBox [0 0 7673 5]", "", 1, 1, "0 0 7673 5", 3},       // 299.97
        // Inherited boxes; the crop box decides.
        {"", "/MediaBox [0 0 8000 8000]", 1, 1, "0 0 8000 8000", 3},
        {"/CropBox [0 0 612 792]", "/MediaBox [0 0 8000 8000]", 5, 2, "0 0 612 792", 36},
        {"/MediaBox [0 0 612 792] /CropBox [100 100 400 9000]", "", 5, 2, "100 100 400 792", 41},
        // Damaged boxes.
        {"/MediaBox [0 0 612 792] /CropBox [700 800 900 1000]", "", 5, 2, "0 0 612 792", 36},
        {"/MediaBox [0 0 612 792] /CropBox [100 100 100 500]", "", 5, 2, "0 0 612 792", 36},
        {"/MediaBox [0 0 0 0]", "", 5, 2, "0 0 0 0", 28800},  // one point a side
        {"/MediaBox [612 792 0 0]", "", 5, 2, "0 0 612 792", 36},
        {"/MediaBox [0 0 612 792] /CropBox [400 500 100 100]", "", 5, 2, "100 100 400 500", 72},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.page) + " | " + c.root);
        ZOVA_View view;
        view.SetResolution(1);
        view.SetMagnification(3);
        view.SetCenter(GLIB_Point(7, 8));
        view.SetPage(OnePage(std::string(c.page) + " /Resources << >>", c.root));
        EXPECT_EQ(view.MaxResolution(), c.maxResolution);
        EXPECT_EQ(view.Resolution(), c.resolution);
        EXPECT_EQ(view.Magnification(), 0);
        EXPECT_EQ(Point(view.Center()), "0 0");
        EXPECT_EQ(RectText(view.PageBox()), c.box);
        view.SetResolution(ZOVA_View::FitResolution);
        EXPECT_EQ(view.EffectiveDpi(400, 400), c.fitIn400);
    }
}

TEST(ZOVA_View, FitTurnsTheBoxWithThePage) {
    const struct {
        const char* rotate;
        int32_t width, height, dpi;
    } cases[] = {
        // Letter in 400 × 400: 47.05 across, 36.36 down, whichever way up.
        {"", 400, 400, 36},
        {"/Rotate 90", 400, 400, 36},
        // In 800 × 400 the turn shows: 94.1 or 72.7 across, 36.4 or 47.1 down.
        {"", 800, 400, 36},
        {"/Rotate 90", 800, 400, 47},
        {"/Rotate 180", 800, 400, 36},
        {"/Rotate 270", 800, 400, 47},
        {"/Rotate -90", 800, 400, 47},
        {"/Rotate 450", 800, 400, 47},
        {"/Rotate 45", 800, 400, 36},  // reads 0
        {"", 612, 792, 72},  // both 72 exactly
        // Callers divide by the answer: never below 1.
        {"", 1, 1, 1},
        {"", 0, 0, 1},
        {"", -400, 400, 1},
        {"/Rotate 90", 1, 1, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.rotate) + " " + std::to_string(c.width) + " x " + std::to_string(c.height));
        ZOVA_View view;
        view.SetPage(LetterPage(c.rotate));
        view.SetResolution(ZOVA_View::FitResolution);
        EXPECT_EQ(view.EffectiveDpi(c.width, c.height), c.dpi);
    }
    ZOVA_View view;
    view.SetPage(OnePage("/MediaBox [0 0 0 0] /Resources << >>"));
    view.SetResolution(ZOVA_View::FitResolution);
    EXPECT_EQ(view.EffectiveDpi(INT32_MAX, INT32_MAX), INT32_MAX);
    // A fixed resolution does not look at the view.
    view.SetResolution(5);
    EXPECT_EQ(view.EffectiveDpi(1, 1), 2400);
}

TEST(ZOVA_View, FitKeepsTheCentreInTheMiddleOfTheBox) {
    ZOVA_View view;
    view.SetPage(LetterPage("/CropBox [100 100 400 500]"));
    view.SetCenter(GLIB_Point(10, 20));
    EXPECT_EQ(Point(view.Center()), "10 20");
    view.SetResolution(ZOVA_View::FitResolution);
    EXPECT_EQ(Point(view.Center()), "150 200");  // from the box's lower-left corner
    view.SetCenter(GLIB_Point(5, 5));
    EXPECT_EQ(Point(view.Center()), "150 200");
    view.SetResolution(3);
    EXPECT_EQ(Point(view.Center()), "150 200");
    view.SetCenter(GLIB_Point(-1, 2.5));
    EXPECT_EQ(Point(view.Center()), "-1 2.5");

    view.SetPage(LetterPage());
    EXPECT_EQ(Point(view.Center()), "0 0");
    view.SetResolution(ZOVA_View::FitResolution);
    EXPECT_EQ(Point(view.Center()), "306 396");
}

TEST(ZOVA_View, TicksAndColoursLastUntilTheNextPage) {
    ZOVA_View view;
    view.SetPage(SpotPage());
    const CPDF_Color gold = view.ColorantColor(4);
    view.SetColorantShown(1, false);
    view.SetColorantShown(6, false);
    view.SetColorantShown(6, false);
    view.SetColorantColor(4, CPDF_Color(std::vector<double>{0.5, 0, 0, 0}));
    view.SetResolution(0);
    view.SetMagnification(4);
    view.SetCenter(GLIB_Point(1, 1));
    std::string ticks;
    for (int32_t i = 0; i < view.NumColorants(); ++i)
        ticks += view.IsColorantShown(i) ? '1' : '0';
    EXPECT_EQ(ticks, "1011110");
    EXPECT_EQ(Components(view.ColorantColor(4)), (std::vector<double>{0.5, 0, 0, 0}));

    // A copy changed by its holder leaves the view's colour alone.
    CPDF_Color copy = view.ColorantColor(0);
    copy.SetComponent(0, 0.25);
    EXPECT_EQ(view.ColorantColor(0).Component(0), 1.0);

    view.SetPage(SpotPage());
    for (int32_t i = 0; i < view.NumColorants(); ++i)
        EXPECT_TRUE(view.IsColorantShown(i)) << i;
    EXPECT_EQ(view.ColorantColor(4), gold);
}

TEST(ZOVA_View, IndexFaultsAreAssertions) {
    ZOVA_View view;
    view.SetPage(SpotPage());  // 7 inks
    ZOVA_View large;
    large.SetPage(OnePage("/MediaBox [0 0 8000 8000] /Resources << >>"));
    const ZOVA_View empty;
    const struct {
        const char* name;
        std::function<void()> call;
        std::string thrown;
    } cases[] = {
        {"resolution above the maximum", [&] { view.SetResolution(6); }, "assert res<=m_maxResolution :: 6<=5"},
        {"300 dpi on a large page", [&] { large.SetResolution(2); }, "assert res<=m_maxResolution :: 2<=1"},
        {"negative resolution", [&] { view.SetResolution(-1); }, "assert res >= 0"},
        {"tick past the end", [&] { view.SetColorantShown(7, false); }, "assert index<NumColorants() :: 7<7"},
        {"negative tick", [&] { view.SetColorantShown(-1, false); }, "assert index >= 0"},
        {"read a tick past the end", [&] { view.IsColorantShown(9); }, "assert index<NumColorants() :: 9<7"},
        {"colour past the end", [&] { view.SetColorantColor(8, CPDF_Color(4)); },
         "assert index<NumColorants() :: 8<7"},
        {"read a negative colour", [&] { view.ColorantColor(-1); }, "assert index >= 0"},
        {"read a colour past the end", [&] { view.ColorantColor(7); }, "assert index < NumColorants()"},
        {"colour without a page", [&] { empty.ColorantColor(0); }, "assert index < NumColorants()"},
        {"magnification past the table", [&] { view.SetMagnification(5); }, "assert index < MagnificationCount"},
        {"negative magnification", [&] { view.SetMagnification(-1); }, "assert index >= 0"},
        {"no page to show", [&] { view.SetPage(ZOVA_HeldPage()); }, "assert !page.IsNull()"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Thrown(c.call), c.thrown);
    }
    EXPECT_EQ(view.Resolution(), 2);
    EXPECT_EQ(large.Resolution(), 1);
    EXPECT_EQ(view.Magnification(), 0);
    EXPECT_EQ(view.NumColorants(), 7);
}

namespace {

struct HostRaised {
    PDFL_ErrorCode m_code;
};
[[noreturn]] void ThrowHostError(PDFL_ErrorCode code, const char*, int32_t) { throw HostRaised{code}; }

PDFL_PDDoc FakeDoc(uintptr_t address) { return reinterpret_cast<PDFL_PDDoc>(address); }

// The viewer stand-in bound as the host, its PDModel slots recording; TMPDIR
// a fresh folder that must end empty.
class ZOVA_ViewHostTest : public ::testing::Test {
protected:
    void SetUp() override {
        VIEW_Host::Reset();
        m_core = gXCHG_CoreHFT;
        m_pdModel = gXCHG_PDModelHFT;
        m_pdModelVersion = gXCHG_PDModelVersion;
        gXCHG_CoreHFT = VIEW_Host::Table(PDFL_CoreTable);
        gXCHG_PDModelHFT = VIEW_Host::Table(PDFL_PDModelTable);
        gXCHG_PDModelVersion = 0x00040000;
        m_handler = PDFL_SetHostErrorHandler(nullptr);
        // The output documents here are made-up handles: the host only
        // records their close instead of closing a document of its own.
        VIEW_Recorder::SetResult(PDFL_PDModelTable, 71, 0);
    }
    void TearDown() override {
        PDFL_SetHostErrorHandler(m_handler);
        gXCHG_CoreHFT = m_core;
        gXCHG_PDModelHFT = m_pdModel;
        gXCHG_PDModelVersion = m_pdModelVersion;
        EXPECT_EQ(TempFiles(), std::vector<std::string>());
    }

    std::vector<std::string> TempFiles() const { return m_tmp.Dir().List(); }

    // Host errors come back as HostRaised.
    static void InstallHandler() { PDFL_SetHostErrorHandler(ThrowHostError); }

    // The documents the host was asked to close, in order.
    static std::vector<uint64_t> Closed() {
        std::vector<uint64_t> docs;
        for (const VIEW_Call& call : VIEW_Recorder::Calls())
            if (call.m_table == PDFL_PDModelTable && call.m_slot == 71)
                docs.push_back(call.m_args.at(0));
        return docs;
    }

    // A job holding one temporary file, which only the job keeps.
    static CSEP_SepJobContext JobWithFile() {
        CSEP_SepJobContext job;
        CSEP_TempFile file;
        file.Create();
        job.AddTempFile(file);
        return job;
    }

private:
    TmpDirScope m_tmp;
    PDFL_HFT m_core = nullptr;
    PDFL_HFT m_pdModel = nullptr;
    uint32_t m_pdModelVersion = 0;
    PDFL_HostErrorHandlerProc m_handler = nullptr;
};

}  // namespace

TEST_F(ZOVA_ViewHostTest, EachOutputDocumentIsClosedOnce) {
    {
        ZOVA_View view;
        view.SetOutputDoc(FakeDoc(0x1000));
        view.SetOutputDoc(FakeDoc(0x1000));  // the same one: kept open
        EXPECT_EQ(Closed(), std::vector<uint64_t>());
        view.SetOutputDoc(FakeDoc(0x2000));
        EXPECT_EQ(Closed(), std::vector<uint64_t>({0x1000}));
        EXPECT_EQ(view.OutputDoc(), FakeDoc(0x2000));
        view.Clear();
        view.Clear();
        EXPECT_EQ(Closed(), std::vector<uint64_t>({0x1000, 0x2000}));
        EXPECT_EQ(view.OutputDoc(), nullptr);
        view.SetOutputDoc(FakeDoc(0x3000));
        view.SetPage(LetterPage());  // a new page drops the old separation
        EXPECT_EQ(view.OutputDoc(), nullptr);
        view.SetOutputDoc(FakeDoc(0x4000));
        view.SetOutputDoc(nullptr);
        view.SetOutputDoc(FakeDoc(0x5000));
    }
    EXPECT_EQ(Closed(), std::vector<uint64_t>({0x1000, 0x2000, 0x3000, 0x4000, 0x5000}));
}

TEST_F(ZOVA_ViewHostTest, AJobsFilesGoWhenTheViewTakesAnotherJobOrClears) {
    ZOVA_View view;
    const CSEP_SepJobContext first = JobWithFile();
    view.SetJobContext(first);
    EXPECT_EQ(TempFiles().size(), 1u);
    // The caller's handle does not keep the files once the view lets go.
    view.SetJobContext(JobWithFile());
    EXPECT_EQ(TempFiles().size(), 1u);
    view.SetPage(LetterPage());
    EXPECT_EQ(TempFiles().size(), 0u);
    view.SetJobContext(JobWithFile());
    view.Clear();
    EXPECT_EQ(TempFiles().size(), 0u);
}

TEST_F(ZOVA_ViewHostTest, ARefusedCloseStillDeletesTheFilesAndPassesOn) {
    InstallHandler();
    {
        ZOVA_View view;
        view.SetJobContext(JobWithFile());
        view.SetOutputDoc(FakeDoc(0x1000));
        VIEW_Recorder::InjectFault(PDFL_PDModelTable, 71, 42);
        try {
            view.Clear();
            ADD_FAILURE() << "no host error";
        } catch (const HostRaised& e) {
            EXPECT_EQ(e.m_code, 42);
        }
        EXPECT_EQ(TempFiles().size(), 0u);
        EXPECT_EQ(view.OutputDoc(), nullptr);

        view.SetOutputDoc(FakeDoc(0x2000));
        VIEW_Recorder::InjectFault(PDFL_PDModelTable, 71, 43);
        try {
            view.SetOutputDoc(FakeDoc(0x3000));
            ADD_FAILURE() << "no host error";
        } catch (const HostRaised& e) {
            EXPECT_EQ(e.m_code, 43);
        }
        EXPECT_EQ(view.OutputDoc(), FakeDoc(0x3000));  // kept whatever the old one did
    }
    EXPECT_EQ(Closed(), std::vector<uint64_t>({0x1000, 0x2000, 0x3000}));
}

TEST_F(ZOVA_ViewHostTest, DestructionLogsARefusedClose) {
    InstallHandler();
    const LogCapture log;
    {
        ZOVA_View view;
        view.SetOutputDoc(FakeDoc(0x1000));
        VIEW_Recorder::InjectFault(PDFL_PDModelTable, 71, 42);
    }
    EXPECT_TRUE(log.Contains(GLIB_LogError, "ZOVA_View: giving back the page's resources failed"));
    EXPECT_EQ(Closed(), std::vector<uint64_t>({0x1000}));
}
