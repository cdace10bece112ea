// Page space and rotation read from hand-made page trees: inheritance, the
// page box of crop box and media box, Rotate normalised, damaged trees.
#include <gtest/gtest.h>

#include "../cos/VCOS_ErrorCatch.h"
#include "../cos/VCOS_TestPdf.h"
#include "viewer/cos/VCOS_Reader.h"
#include "viewer/draw/VDRW_PageSpace.h"

namespace {

VCOS_DocId Read(VCOS_Store& store, const std::vector<std::string>& objects) {
    return VCOS_Reader::Read(store, VCOS_MakePdf("%PDF-1.4", objects), "tree.pdf");
}

TEST(VDRW_PageSpace, PageBoxIsCropBoxWithinMediaBoxOrTheMediaBox) {
    const struct {
        const char* what;
        const char* entries;
        double x, y, width, height;
    } rows[] = {
        {"media box only", "/MediaBox [0 0 612 792]", 0, 0, 612, 792},
        {"crop box inside", "/MediaBox [0 0 612 792] /CropBox [100 100 400 500]", 100, 100, 300, 400},
        {"crop box overhanging", "/MediaBox [0 0 612 792] /CropBox [500 -50 700 100]", 500, 0, 112, 100},
        {"crop box outside", "/MediaBox [0 0 612 792] /CropBox [700 800 900 900]", 0, 0, 612, 792},
        {"crop box touching only", "/MediaBox [0 0 612 792] /CropBox [612 0 700 792]", 0, 0, 612, 792},
        {"reversed corners", "/MediaBox [612 792 0 0] /CropBox [400 500 100 100]", 100, 100, 300, 400},
        {"media box moved", "/MediaBox [-100 -200 100 200]", -100, -200, 200, 400},
        {"no media box", "", 0, 0, 612, 792},
        {"media box of three numbers", "/MediaBox [0 0 100]", 0, 0, 612, 792},
        {"crop box not numbers", "/MediaBox [0 0 200 200] /CropBox [0 0 (a) 50]", 0, 0, 200, 200},
        {"reals", "/MediaBox [0.5 0.25 100.5 50.25]", 0.5, 0.25, 100, 50},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        VCOS_Store store;
        const VCOS_DocId doc = Read(store, {"<< /Type /Catalog /Pages 2 0 R >>",
                                            "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
                                            std::string("<< /Type /Page /Parent 2 0 R ") + row.entries + " >>"});
        const VDRW_PageSpace space = VDRW_PageSpaceReader::Read(store, doc, 0);
        EXPECT_DOUBLE_EQ(space.m_originX, row.x);
        EXPECT_DOUBLE_EQ(space.m_originY, row.y);
        EXPECT_DOUBLE_EQ(space.m_width, row.width);
        EXPECT_DOUBLE_EQ(space.m_height, row.height);
    }
}

TEST(VDRW_PageSpace, RotateIsModulo360NonNegativeAndZeroOffTheRightAngles) {
    const struct {
        const char* value;
        int rotate;
    } rows[] = {
        {"0", 0},     {"90", 90},   {"180", 180}, {"270", 270}, {"360", 0},   {"450", 90},
        {"-90", 270}, {"-360", 0},  {"-450", 270}, {"45", 0},   {"-45", 0},   {"91", 0},
        {"90.0", 90}, {"90.5", 0},  {"/R90", 0},  {"1e20", 0},  {"2147483647", 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.value);
        VCOS_Store store;
        const VCOS_DocId doc =
            Read(store, {"<< /Type /Catalog /Pages 2 0 R >>", "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
                         std::string("<< /Type /Page /Parent 2 0 R /Rotate ") + row.value + " >>"});
        EXPECT_EQ(VDRW_PageSpaceReader::Read(store, doc, 0).m_rotate, row.rotate);
    }
}

TEST(VDRW_PageSpace, PagesAreFoundInTreeOrderAndInheritFromTheNearestAncestor) {
    // Pages: 4 (under 3), 5 (under 3), 6 and 7 (under 2). 2 gives the media
    // box and Rotate 90; 3 a crop box and Rotate 180; page 5 its own media
    // box (and /Kids that are not an array, which do not make it a node);
    // page 7 has no /Type and /Kids that name an object that does not read.
    VCOS_Store store;
    const VCOS_DocId doc = Read(store, {
        "<< /Type /Catalog /Pages 2 0 R >>",
        "<< /Type /Pages /Kids [3 0 R 6 0 R 7 0 R] /Count 4 /MediaBox [0 0 500 600] /Rotate 90 >>",
        "<< /Type /Pages /Parent 2 0 R /Kids [4 0 R 5 0 R] /Count 2 /CropBox [10 20 110 220] /Rotate 180 >>",
        "<< /Type /Page /Parent 3 0 R /N 0 >>",
        "<< /Type /Page /Parent 3 0 R /N 1 /MediaBox [50 50 80 80] /Kids 0 >>",
        "<< /Type /Page /Parent 2 0 R /N 2 >>",
        "<< /Parent 2 0 R /N 3 /Kids 8 0 R >>",
        "<< /A (x) /B [ 1 2 >>",
    });
    const struct {
        double x, y, width, height;
        int rotate;
    } expected[] = {
        {10, 20, 100, 200, 180},
        {50, 50, 30, 30, 180},
        {0, 0, 500, 600, 90},
        {0, 0, 500, 600, 90},
    };
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        const VDRW_PageSpace space = VDRW_PageSpaceReader::Read(store, doc, i);
        EXPECT_EQ(store.IntegerValue(store.DictGet(space.m_page, "N")), i);
        EXPECT_DOUBLE_EQ(space.m_originX, expected[i].x);
        EXPECT_DOUBLE_EQ(space.m_originY, expected[i].y);
        EXPECT_DOUBLE_EQ(space.m_width, expected[i].width);
        EXPECT_DOUBLE_EQ(space.m_height, expected[i].height);
        EXPECT_EQ(space.m_rotate, expected[i].rotate);
    }
    for (int missing : {4, -1}) {
        SCOPED_TRACE(missing);
        const VCOS_Error error = VCOS_Thrown([&] { VDRW_PageSpaceReader::Read(store, doc, missing); });
        EXPECT_EQ(error.Kind(), VCOS_ErrorKind::BadDocument);
    }
}

TEST(VDRW_PageSpace, DamagedTreesAreRefusedNotFollowedForever) {
    const struct {
        const char* what;
        std::vector<std::string> objects;
        VCOS_ErrorKind kind;
        const char* says;
    } rows[] = {
        {"a loop", {"<< /Pages 2 0 R >>", "<< /Kids [3 0 R] >>", "<< /Kids [2 0 R] >>"}, VCOS_ErrorKind::BadObject,
         "loops"},
        {"Kids not an array", {"<< /Pages 2 0 R >>", "<< /Kids 3 >>"}, VCOS_ErrorKind::BadObject, "not an array"},
        {"a kid not a dictionary", {"<< /Pages 2 0 R >>", "<< /Kids [5] >>"}, VCOS_ErrorKind::BadObject,
         "not a dictionary"},
        {"no page tree", {"<< /Type /Catalog >>"}, VCOS_ErrorKind::BadDocument, "no page tree"},
        {"a root without Kids", {"<< /Pages 2 0 R >>", "<< /Type /Pages /MediaBox [0 0 10 10] >>"},
         VCOS_ErrorKind::BadObject, "has no Kids"},
        {"Kids of an inner node below the root not an array",
         {"<< /Pages 2 0 R >>", "<< /Kids [3 0 R] >>", "<< /Type /Pages /Kids (x) >>"}, VCOS_ErrorKind::BadObject,
         "not an array"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        VCOS_Store store;
        const VCOS_DocId doc = Read(store, row.objects);
        const VCOS_Error error = VCOS_Thrown([&] { VDRW_PageSpaceReader::Read(store, doc, 0); });
        EXPECT_EQ(error.Kind(), row.kind);
        EXPECT_NE(std::string(error.what()).find(row.says), std::string::npos) << error.what();
    }
    // A chain deeper than the limit (direct dictionaries, so no loop check stops it).
    VCOS_Store store;
    const VCOS_DocId doc = store.CreateDoc();
    VCOS_Obj node = store.NewDict(doc, false);
    for (int i = 0; i <= VDRW_PageSpaceReader::MaxTreeDepth; ++i) {
        const VCOS_Obj parent = store.NewDict(doc, false);
        const VCOS_Obj kids = store.NewArray(doc, false, 0);
        store.ArrayInsert(kids, 0, node);
        store.DictPut(parent, "Kids", kids);
        node = parent;
    }
    store.DictPut(store.Root(doc), "Pages", node);
    EXPECT_EQ(VCOS_Thrown([&] { VDRW_PageSpaceReader::Read(store, doc, 0); }).Kind(), VCOS_ErrorKind::BadObject);
}

}  // namespace
