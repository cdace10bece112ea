// The held page made from a host page: the stand-in's PD document of a file
// written here, its pages counted as they are acquired and released.
#include "Exchange/ZOVA/ZOVA_HeldPage.h"
#include "Exchange/ZOVA/ZOVA_View.h"

#include "../../hostpdf/HostFixture.h"
#include "../../viewer/cos/VCOS_TestPdf.h"
#include "CPDF/document/DocumentTestUtil.h"
#include "hostpdf/COSF_PDFL_Library.h"
#include "hostpdf/PDFL_ASCalls.h"
#include "hostpdf/PDFL_PDCalls.h"
#include "support/TestSupport.h"
#include "viewer/VIEW_PD.h"

namespace {

// The spot inks Gold (CMYK alternate) and Ruby (RGB alternate, red), and
// Cyan named as a Separation.
const char* const kSpotResources =
    "<< /ColorSpace << "
    "/CS0 [/Separation /Gold /DeviceCMYK << /FunctionType 2 /Domain [0 1] /N 1 "
    "/C0 [0 0 0 0] /C1 [0.1 0.9 0 0.2] >>] "
    "/CS1 [/Separation /Ruby /DeviceRGB << /FunctionType 2 /Domain [0 1] /N 1 /C0 [0 0 0] /C1 [1 0 0] >>] "
    "/CS2 [/Separation /Cyan /DeviceCMYK << /FunctionType 2 /Domain [0 1] /N 1 "
    "/C0 [0 0 0 0] /C1 [1 0 0 0] >>] >> >>";

// Page i's own entries; the Pages node gives /Rotate 180 to the last.
const char* const kPages[] = {
    "/Rotate 45 /Resources 7 0 R",
    "/Rotate 90",
    "/Rotate -90",
    "",
};

std::string FourPages() {
    return VCOS_MakePdf("%PDF-1.4", {"<< /Type /Catalog /Pages 2 0 R >>",
                                     "<< /Type /Pages /Kids [3 0 R 4 0 R 5 0 R 6 0 R] /Count 4 /Rotate 180 "
                                     "/MediaBox [0 0 612 792] >>",
                                     std::string("<< /Type /Page /Parent 2 0 R ") + kPages[0] + " >>",
                                     std::string("<< /Type /Page /Parent 2 0 R ") + kPages[1] + " >>",
                                     std::string("<< /Type /Page /Parent 2 0 R ") + kPages[2] + " >>",
                                     std::string("<< /Type /Page /Parent 2 0 R ") + kPages[3] + " >>",
                                     kSpotResources});
}

class ZOVA_HeldHostPage : public HostTest {
protected:
    void SetUp() override {
        HostTest::SetUp();
        COSF_PDFL_Library::Initialize();
        const std::string path = m_dir.File("four.pdf");
        WriteWholeFile(path, FourPages());
        const PDFL_ASPathName name = PDFL_ASPathFromPlatformPath(path.c_str());
        m_doc = PDFL_PDDocOpen(name, nullptr, nullptr, 0);
        PDFL_ASFileSysReleasePath(PDFL_ASGetDefaultFileSys(), name);
        m_pagesBefore = VIEW_PD::AcquiredPageCount();
    }
    void TearDown() override {
        EXPECT_EQ(VIEW_PD::AcquiredPageCount(), m_pagesBefore) << "a page was left acquired";
        PDFL_PDDocClose(m_doc);
        HostTest::TearDown();
    }

    // Page i as the caller has it: acquired, handed over, released.
    ZOVA_HeldPage Held(int32_t i) const {
        const PDFL_PDPage page = PDFL_PDDocAcquirePage(m_doc, i);
        ZOVA_HeldPage held(page);
        PDFL_PDPageRelease(page);
        return held;
    }

    ScratchDir m_dir;
    PDFL_PDDoc m_doc = nullptr;
    size_t m_pagesBefore = 0;
};

}  // namespace

TEST_F(ZOVA_HeldHostPage, EachAcquireIsReleasedOnceWhenTheLastCopyGoes) {
    {
        const ZOVA_HeldPage held = Held(2);
        EXPECT_EQ(VIEW_PD::AcquiredPageCount(), m_pagesBefore + 1);
        ASSERT_NE(held.HostPage(), nullptr);
        EXPECT_EQ(PDFL_PDPageGetNumber(held.HostPage()), 2);
        EXPECT_EQ(PDFL_PDPageGetDoc(held.HostPage()), m_doc);
        EXPECT_EQ(held.Number(), 2u);
        EXPECT_FALSE(held.IsNull());
        EXPECT_EQ(held.Page().MediaBox(), GLIB_Rect(0, 0, 612, 792));

        ZOVA_HeldPage copy = held;
        ZOVA_HeldPage other = Held(0);
        EXPECT_EQ(VIEW_PD::AcquiredPageCount(), m_pagesBefore + 2);
        copy = other;  // the copy lets go of page 2, which held still has
        EXPECT_EQ(VIEW_PD::AcquiredPageCount(), m_pagesBefore + 2);
        other = ZOVA_HeldPage();
        copy = ZOVA_HeldPage();
        EXPECT_EQ(VIEW_PD::AcquiredPageCount(), m_pagesBefore + 1);
    }
    EXPECT_EQ(VIEW_PD::AcquiredPageCount(), m_pagesBefore);

    // A view holding the page gives it back when cleared.
    ZOVA_View view;
    view.SetPage(Held(0));
    EXPECT_EQ(VIEW_PD::AcquiredPageCount(), m_pagesBefore + 1);
    view.Clear();
    EXPECT_EQ(VIEW_PD::AcquiredPageCount(), m_pagesBefore);
}

TEST_F(ZOVA_HeldHostPage, RotationIsTheHostsQuarterTurn) {
    const int expected[] = {0, 90, 270, 180};
    for (int32_t i = 0; i < 4; ++i) {
        SCOPED_TRACE(kPages[i]);
        const ZOVA_HeldPage held = Held(i);
        EXPECT_EQ(held.Rotation(), expected[i]);
        EXPECT_EQ(held.Rotation(), PDFL_PDPageGetRotate(held.HostPage()));
    }
}

TEST_F(ZOVA_HeldHostPage, InksAreThoseOfTheObjectModelsPage) {
    const CPDF_Doc memory = DocWithTree(
        (std::string("<< /Type /Pages /Count 1 /Kids [ << /Type /Page /MediaBox [0 0 612 792] /Resources ") +
         kSpotResources + " >> ] >>")
            .c_str());
    ZOVA_View fromHost;
    ZOVA_View fromModel;
    fromHost.SetPage(Held(0));
    fromModel.SetPage(ZOVA_HeldPage(memory, 0));

    std::vector<CPDF_Colorant> hostNames, modelNames;
    fromHost.ColorantNames(hostNames);
    fromModel.ColorantNames(modelNames);
    std::vector<std::string> hostTexts, modelTexts;
    for (const CPDF_Colorant& c : hostNames)
        hostTexts.push_back(c.Name().CStr());
    for (const CPDF_Colorant& c : modelNames)
        modelTexts.push_back(c.Name().CStr());
    EXPECT_EQ(hostTexts, (std::vector<std::string>{"Cyan", "Magenta", "Yellow", "Black", "Gold", "Ruby"}));
    EXPECT_EQ(hostTexts, modelTexts);

    std::vector<CPDF_Color> hostColors, modelColors;
    fromHost.ColorantColors(hostColors);
    fromModel.ColorantColors(modelColors);
    // The host keeps reals in 16.16, so they agree to within its step.
    ASSERT_EQ(hostColors.size(), modelColors.size());
    for (size_t i = 0; i < hostColors.size(); ++i) {
        SCOPED_TRACE(hostTexts[i]);
        ASSERT_EQ(hostColors[i].NumComponents(), modelColors[i].NumComponents());
        for (unsigned k = 0; k < hostColors[i].NumComponents(); ++k)
            EXPECT_NEAR(hostColors[i].Component(k), modelColors[i].Component(k), 1.0 / 65536);
    }
    // Gold's recipe arrives, and Ruby's, made from its red alternate.
    ASSERT_EQ(hostColors.size(), 6u);
    EXPECT_NEAR(hostColors[4].Component(1), 0.9, 1.0 / 65536);
    ASSERT_EQ(hostColors[5].NumComponents(), 4u);
    for (unsigned k = 0; k < 4; ++k)
        EXPECT_NEAR(hostColors[5].Component(k), k == 1 || k == 2 ? 1.0 : 0.0, 1.0 / 65536) << k;
    fromHost.Clear();
}
