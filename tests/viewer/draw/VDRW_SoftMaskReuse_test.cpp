// A soft mask in the graphics state applies to each mark painted outside a
// group, and each mark used to draw the whole mask again in every band: a
// page of many small marks under one page-sized mask whose group is a long
// path draws that mask a few times a band. Masks that differ, masks of
// alpha and masks inside a non-isolated group are drawn as they come; the
// pixels are what the masks make them whatever the bands and threads, masks
// apart only in a late dash entry or a clip's end and white backdrops too.
// A failing allocation while runs of masked marks are recorded leaks nothing.
#include <gtest/gtest.h>
#include <mupdf/fitz.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "VDRW_TestDib.h"
#include "support/PdfText.h"
#include "viewer/cos/VCOS_Reader.h"
#include "viewer/cos/VCOS_Store.h"
#include "viewer/draw/VDRW_MaskRuns.h"
#include "viewer/draw/VDRW_PageDrawer.h"
#include "viewer/draw/VDRW_SoftMaskDevice.h"

namespace {

constexpr int kSide = 200;  // points, and pixels at 72 dpi
constexpr int kGrid = 20;   // squares a side, 10 points apart
constexpr int kSquares = kGrid * kGrid;

std::string Stream(const std::string& dict, const std::string& data) {
    return "<< " + dict + " /Length " + std::to_string(data.size()) + " >>\nstream\n" + data + "\nendstream";
}

// What the masks' groups paint, 0.6 grey.
enum class Groups {
    Halves,         // /GS0 the left half, /GS1 the right half
    WhiteBackdrop,  // the halves, each mask's backdrop white
    DashesApart,    // /GS0 the left half, /GS1 none of the marks; the dashes differ from entry 33 on
    ClipEndsApart,  // /GS0 the whole page, /GS1 the left half; the clip ends before or after the right half
};

// A black mark's blue through mask 0 (/GS0) or 1 (/GS1), left or right of
// the middle: inked where the group paints, else as the backdrop lets.
int MarkBlue(Groups groups, int mask, bool left, int inked) {
    const bool painted = groups == Groups::DashesApart     ? left && mask == 0
                         : groups == Groups::ClipEndsApart ? left || mask == 0
                                                           : left == (mask == 0);
    return painted ? inked : groups == Groups::WhiteBackdrop ? 0 : 255;
}

std::string MaskGroup(Groups groups, int mask) {
    std::string data;
    if (groups == Groups::DashesApart) {
        // 34 entries, the first 32 left of the marks; /GS0's on from 1.6 to 100 points.
        for (int i = 0; i < 32; ++i)
            data += "0.05 ";
        data = "0.6 G 200 w [" + data + (mask ? "0.05 300" : "98.4 200") + "] 0 d 0 100 m 200 100 l S";
    } else if (groups == Groups::ClipEndsApart) {
        // The sliver at the right edge widens the clip's bounds over the
        // right half, so that nothing culls the fill inside it.
        const std::string right = "0.6 g 100 0 100 200 re f";
        data = "q 0 0 100 200 re 199.5 0 0.5 200 re W n 0.6 g 0 0 200 200 re f " + (mask ? right + " Q" : "Q " + right);
    } else {
        // Half the page, its inner edge a zigzag of 2,000 segments within 2
        // points of x = 100.
        const std::string outer = mask ? "200" : "0";
        data = "0.6 g " + outer + " 0 m";
        for (int i = 0; i <= 2000; ++i)
            data += " " + std::to_string(i % 2 ? 102 : 98) + " " + std::to_string(i * 0.1) + " l";
        data += " " + outer + " 200 l h f";
    }
    return Stream("/Type /XObject /Subtype /Form /BBox [0 0 200 200] /Group << /S /Transparency /CS /DeviceGray >> "
                  "/Resources << >>",
                  data);
}

enum class Marks {
    Squares,
    Images,
    SomePlain,    // every tenth square painted with no mask, which ends a run
    SomePattern,  // every tenth square filled with a black pattern
};

struct Shape {
    const char* m_name;
    const char* m_kind;  // the masks' /S
    bool m_alternate;    // the squares take /GS0 and /GS1 in turn
    bool m_inGroup;      // the squares are painted inside a non-isolated group
    Marks m_marks;
    Groups m_groups = Groups::Halves;
};

// Black marks 4 points wide, a grid of them, each painted on its own
// through a mask: /GS0 and /GS1 mask by the groups the shape names.
std::string MaskedMarksPage(const Shape& shape) {
    std::string marks;
    for (int j = 0; j < kGrid; ++j)
        for (int i = 0; i < kGrid; ++i) {
            const std::string at = std::to_string(3 + 10 * i) + " " + std::to_string(3 + 10 * j);
            const bool tenth = (i + kGrid * j) % 10 == 9;
            if (shape.m_alternate)
                marks += (i + j) % 2 ? "/GS1 gs " : "/GS0 gs ";
            if (shape.m_marks == Marks::Images)
                marks += "q 4 0 0 4 " + at + " cm BI /W 1 /H 1 /CS /G /BPC 8 ID \x01 EI Q\n";
            else if (shape.m_marks == Marks::SomePlain && tenth)
                marks += "/GS2 gs " + at + " 4 4 re f /GS0 gs\n";
            else if (shape.m_marks == Marks::SomePattern && tenth)
                marks += "q /Pattern cs /P0 scn " + at + " 4 4 re f Q\n";
            else
                marks += at + " 4 4 re f\n";
        }
    const std::string gs = "/ExtGState << /GS0 5 0 R /GS1 6 0 R /GS2 << /SMask /None >> >> /Pattern << /P0 10 0 R >>";
    std::string content = "q /GS0 gs 0 g\n" + marks + "Q";
    std::vector<std::string> more;
    const std::string group = "/Type /XObject /Subtype /Form /BBox [0 0 200 200] /Group << /S /Transparency /I false >> "
                              "/Resources << " + gs + " >>";
    if (shape.m_inGroup) {
        more.push_back(Stream(group, content));
        content = "/G0 Do";
    } else {
        more.push_back("null");
    }
    more.push_back(Stream("/PatternType 1 /PaintType 1 /TilingType 1 /BBox [0 0 3 3] /XStep 3 /YStep 3 /Resources << >>",
                          "0 g 0 0 3 3 re f"));
    const std::string backdrop = shape.m_groups == Groups::WhiteBackdrop ? " /BC [1]" : "";
    std::vector<std::string> objects = {
        "<< /Type /Catalog /Pages 2 0 R >>", "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
        "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 200 200] /Resources << " + gs +
            (shape.m_inGroup ? " /XObject << /G0 9 0 R >>" : "") + " >> /Contents 4 0 R >>",
        Stream("", content),
        std::string("<< /Type /ExtGState /SMask << /S /") + shape.m_kind + " /G 7 0 R" + backdrop + " >> >>",
        std::string("<< /Type /ExtGState /SMask << /S /") + shape.m_kind + " /G 8 0 R" + backdrop + " >> >>",
        MaskGroup(shape.m_groups, 0), MaskGroup(shape.m_groups, 1)};
    objects.insert(objects.end(), more.begin(), more.end());
    return PdfText("%PDF-1.4", objects);
}

struct Drawing {
    GrayPlate m_blue;
    long m_drawn, m_reused;
};

// The page at 72 dpi on threads, only the rows from top (pixels) down.
Drawing Draw(const std::string& file, int threads, int top) {
    VCOS_Store store;
    const VCOS_DocId doc = VCOS_Reader::Read(store, file, "masked.pdf");
    VDRW_TestDib dib(kSide, kSide);
    VDRW_PageDrawer drawer(store);
    drawer.SetThreads(threads);
    VDRW_ResetSoftMaskCounts();
    drawer.Draw(doc, 0, VDRW_Matrix(1, 0, 0, -1, 0, kSide), dib.DC(), VDRW_Rect(0, 0, kSide, kSide - top), nullptr,
                nullptr);
    return {dib.Blue(), VDRW_SoftMasksDrawn(), VDRW_SoftMasksReused()};
}

TEST(VDRW_SoftMaskReuse, ManyMarksUnderOneMaskDrawItAFewTimesABandWithTheSamePixels) {
    struct Row {
        Shape m_shape;
        // In the four bands of 64 rows: at most this many masks drawn, and
        // between so many uses of one drawn before.
        long m_mostDrawn, m_leastReused, m_mostReused;
        int m_inked;  // a masked mark's blue where its mask covers it
    };
    const Row rows[] = {
        // Drawn once by the draw device and once as a coverage in each band.
        {{"one luminosity mask", "Luminosity", false, false, Marks::Squares}, 8, kSquares - 8, 4 * kSquares, 102},
        {{"one mask over images", "Luminosity", false, false, Marks::Images}, 8, kSquares - 8, 4 * kSquares, 102},
        // Every use differs from the one before. A band draws every use of
        // the runs it meets, and a run ends after 64 uses (a little over
        // three rows of squares, half a band), so no use is drawn by more
        // than two of the four bands.
        {{"two masks in turn", "Luminosity", true, false, Marks::Squares}, 2 * kSquares, 0, 0, 102},
        {{"a mask of alpha", "Alpha", false, false, Marks::Squares}, 2 * kSquares, 0, 0, 0},
        {{"inside a non-isolated group", "Luminosity", false, true, Marks::Squares}, 2 * kSquares, 0, 0, 102},
        // Forty runs of nine, each drawn only by the bands it meets: a band
        // meets about a quarter of them.
        {{"every tenth square without a mask", "Luminosity", false, false, Marks::SomePlain}, 8, 280, 500, 102},
        // A run that holds a pattern is drawn by every band.
        {{"every tenth square filled with a pattern", "Luminosity", false, false, Marks::SomePattern}, 8,
         kSquares - 8, 4 * kSquares, 102},
        // Masks that differ only in what a signature might leave out.
        {{"two masks whose 34 dash entries part in the last two", "Luminosity", true, false, Marks::Squares,
          Groups::DashesApart},
         2 * kSquares, 0, 0, 102},
        {{"two masks whose clips end apart", "Luminosity", true, false, Marks::Squares, Groups::ClipEndsApart},
         2 * kSquares, 0, 0, 102},
        // The backdrop shows where the group paints nothing.
        {{"one mask with a white backdrop", "Luminosity", false, false, Marks::Squares, Groups::WhiteBackdrop}, 8,
         kSquares - 8, 4 * kSquares, 102},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.m_shape.m_name);
        const std::string file = MaskedMarksPage(row.m_shape);
        const Drawing one = Draw(file, 1, 0);
        EXPECT_LE(one.m_drawn, row.m_mostDrawn);
        EXPECT_GE(one.m_reused, row.m_leastReused);
        EXPECT_LE(one.m_reused, row.m_mostReused);
        for (int j = 0; j < kGrid; ++j)
            for (int i = 0; i < kGrid; ++i) {
                const int x = 5 + 10 * i, y = kSide - 5 - 10 * j;
                const int mask = row.m_shape.m_alternate && (i + j) % 2;
                const bool plain = row.m_shape.m_marks == Marks::SomePlain && (i + kGrid * j) % 10 == 9;
                if (x > 96 && x < 104)
                    continue;  // the groups' edge in the middle
                SCOPED_TRACE("mark at " + std::to_string(x) + "," + std::to_string(y));
                if (plain)
                    EXPECT_EQ(one.m_blue.At(x, y), 0);
                else
                    EXPECT_NEAR(one.m_blue.At(x, y), MarkBlue(row.m_shape.m_groups, mask, x < 100, row.m_inked), 2);
            }
        // Other threads and other bands give the same pixels.
        const struct {
            int m_threads, m_top;
        } others[] = {{4, 0}, {3, 10}, {1, 37}};
        for (const auto& other : others) {
            SCOPED_TRACE(std::to_string(other.m_threads) + " threads from row " + std::to_string(other.m_top));
            const Drawing drawing = Draw(file, other.m_threads, other.m_top);
            EXPECT_LE(drawing.m_drawn, row.m_mostDrawn + 2);
            int apart = 0;
            for (int y = other.m_top; y < kSide; ++y)
                for (int x = 0; x < kSide; ++x)
                    apart += drawing.m_blue.At(x, y) != one.m_blue.At(x, y);
            EXPECT_EQ(apart, 0);
        }
    }
}

// MuPDF's allocator for a context of the test's own: the blocks live, and
// the request, counted once failing is armed, that fails.
struct Blocks {
    long m_live = 0, m_requests = 0;
    long m_failAt = 0;  // 0: none fails
};

void* Reallocate(void* user, void* old, size_t size) {
    Blocks* blocks = static_cast<Blocks*>(user);
    if (blocks->m_failAt > 0 && ++blocks->m_requests == blocks->m_failAt)
        return nullptr;
    void* block = realloc(old, size);
    blocks->m_live += block != nullptr && old == nullptr;
    return block;
}

void* Allocate(void* user, size_t size) { return Reallocate(user, nullptr, size); }

void Release(void* user, void* block) {
    static_cast<Blocks*>(user)->m_live -= block != nullptr;
    free(block);
}

void Quiet(void*, const char*) {}

// A page's marks handed to the run recorder with failing armed at failAt:
// two uses of a mask, a plain mark that ends their run, and a run of one
// use that the close ends; then everything dropped as the page drawing
// drops it.
void RecordAndDrop(fz_context* ctx, Blocks& blocks, long failAt) {
    fz_display_list* list = fz_new_display_list(ctx, fz_infinite_rect);
    fz_device* target = fz_new_list_device(ctx, list);
    VDRW_MaskRuns* runs = VDRW_NewMaskRuns(ctx);
    fz_device* recorder = VDRW_NewMaskRunRecorder(ctx, target, runs);
    fz_path* square = fz_new_path(ctx);
    fz_rectto(ctx, square, 2, 2, 8, 8);
    fz_colorspace* gray = fz_device_gray(ctx);
    const float black = 0;
    blocks.m_failAt = failAt;
    fz_try(ctx) {
        for (const bool masked : {true, true, false, true}) {
            if (masked) {
                fz_begin_mask(ctx, recorder, {0, 0, 10, 10}, 1, gray, &black, fz_default_color_params);
                fz_fill_path(ctx, recorder, square, 0, fz_identity, gray, &black, 1, fz_default_color_params);
                fz_end_mask(ctx, recorder);
            }
            fz_fill_path(ctx, recorder, square, 0, fz_identity, gray, &black, 1, fz_default_color_params);
            if (masked)
                fz_pop_clip(ctx, recorder);
        }
        fz_close_device(ctx, recorder);
    }
    fz_catch(ctx) {}
    blocks.m_failAt = 0;
    fz_drop_path(ctx, square);
    fz_drop_device(ctx, recorder);
    fz_drop_device(ctx, target);
    VDRW_DropMaskRuns(ctx, runs);
    fz_drop_display_list(ctx, list);
}

TEST(VDRW_SoftMaskReuse, AnAllocationFailingWhileRunsOfMaskedMarksAreRecordedLeavesNoBlockBehind) {
    // Each request of the recording fails in turn, until one is past them all.
    for (long failAt = 1;; ++failAt) {
        SCOPED_TRACE("request " + std::to_string(failAt) + " fails");
        Blocks blocks;
        fz_alloc_context alloc = {&blocks, Allocate, Reallocate, Release};
        fz_context* ctx = fz_new_context(&alloc, nullptr, FZ_STORE_UNLIMITED);
        ASSERT_NE(ctx, nullptr);
        fz_set_error_callback(ctx, Quiet, nullptr);
        fz_set_warning_callback(ctx, Quiet, nullptr);
        RecordAndDrop(ctx, blocks, failAt);
        fz_drop_context(ctx);
        EXPECT_EQ(blocks.m_live, 0);
        if (blocks.m_requests < failAt)
            break;
    }
}

}  // namespace
