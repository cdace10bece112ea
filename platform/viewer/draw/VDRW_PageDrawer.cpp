#include "viewer/draw/VDRW_PageDrawer.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "viewer/VIEW_ErrorRegistry.h"
#include "viewer/VIEW_Frames.h"
#include "viewer/cos/VCOS_Error.h"
#include "viewer/draw/VDRW_BandRun.h"
#include "viewer/draw/VDRW_DibTarget.h"
#include "viewer/draw/VDRW_DrawingMatrix.h"
#include "viewer/draw/VDRW_InlineWriter.h"
#include "viewer/draw/VDRW_PageSpace.h"

namespace {

// The severity the stand-in registers its own failure texts with.
constexpr uint16_t kErrorSeverity = 4;

// After Stop, bands already drawing get this long to end; the rest are
// stopped midway, so a drawing ends within about a tenth of a second.
constexpr std::chrono::milliseconds kStopGrace{50};

// Device pixels as half-open ranges.
struct PixelRect {
    int m_left, m_top, m_right, m_bottom;

    bool Empty() const { return m_right <= m_left || m_bottom <= m_top; }
    PixelRect Intersect(const PixelRect& other) const {
        return {std::max(m_left, other.m_left), std::max(m_top, other.m_top), std::min(m_right, other.m_right),
                std::min(m_bottom, other.m_bottom)};
    }
};

double FromFixed(PDFL_Fixed value) { return value / 65536.0; }

// The pixels a page-space rectangle touches under t (its bounding box for a
// matrix that is not a multiple of 90 degrees). A coordinate within 1/256
// of a pixel edge counts as on it, so a page edge at 250.0000001 adds no
// column.
PixelRect Covered(const VDRW_Transform& t, double left, double bottom, double right, double top) {
    double minX = HUGE_VAL, minY = HUGE_VAL, maxX = -HUGE_VAL, maxY = -HUGE_VAL;
    for (double x : {left, right})
        for (double y : {bottom, top}) {
            const double dx = t.m_a * x + t.m_c * y + t.m_e;
            const double dy = t.m_b * x + t.m_d * y + t.m_f;
            minX = std::min(minX, dx), maxX = std::max(maxX, dx);
            minY = std::min(minY, dy), maxY = std::max(maxY, dy);
        }
    constexpr double kSlack = 1.0 / 256;
    constexpr double kLimit = 1 << 30;
    const auto clamp = [&](double v) { return static_cast<int>(std::clamp(v, -kLimit, kLimit)); };
    return {clamp(std::floor(minX + kSlack)), clamp(std::floor(minY + kSlack)), clamp(std::ceil(maxX - kSlack)),
            clamp(std::ceil(maxY - kSlack))};
}

// User space to device: page space's origin moved back, then the drawing's matrix.
VDRW_Transform UserToDevice(const VDRW_Transform& page, const VDRW_PageSpace& space) {
    VDRW_Transform t = page;
    t.m_e = page.m_e - space.m_originX * page.m_a - space.m_originY * page.m_c;
    t.m_f = page.m_f - space.m_originX * page.m_b - space.m_originY * page.m_d;
    return t;
}

bool AskCancel(PDFL_CancelProc cancel, void* data) {
    return cancel && VIEW_CallPlugin([&] { return cancel(data) != 0; });
}

void DrawBand(VDRW_Engine* engine, VDRW_PageList* list, const VDRW_Transform& userToDevice,
              const VDRW_DibTarget& target, const PixelRect& band, std::vector<uint8_t>& pixels) {
    const size_t rowBytes = static_cast<size_t>(band.m_right - band.m_left) * 4;
    pixels.resize(rowBytes * static_cast<size_t>(band.m_bottom - band.m_top));
    for (int y = band.m_top; y < band.m_bottom; ++y) {
        uint8_t* row = pixels.data() + (y - band.m_top) * rowBytes;
        std::memcpy(row, target.Row(y) + band.m_left * 4, rowBytes);
        for (size_t i = 3; i < rowBytes; i += 4)
            row[i] = 255;
    }
    const VDRW_Band area{pixels.data(), band.m_left, band.m_top, band.m_right - band.m_left,
                         band.m_bottom - band.m_top};
    bool aborted = false;
    VDRW_Checked("drawing failed", [&](VDRW_Status* status) {
        const int drawn = VDRW_DrawBand(engine, list, &userToDevice, &area, status);
        aborted = status->m_code == VDRW_StatusAborted;
        if (aborted)
            status->m_code = VDRW_StatusOk;
        return drawn;
    });
    if (aborted)
        return;  // a cancelled drawing leaves the band as it was
    for (int y = band.m_top; y < band.m_bottom; ++y) {
        const uint8_t* from = pixels.data() + (y - band.m_top) * rowBytes;
        uint8_t* to = target.Row(y) + band.m_left * 4;
        for (size_t i = 0; i < rowBytes; i += 4)
            std::memcpy(to + i, from + i, 3);
    }
}

}  // namespace

VDRW_PageDrawer::VDRW_PageDrawer(const VCOS_Store& store) : m_store(store) {}

VDRW_PageDrawer::~VDRW_PageDrawer() {
    m_opened.clear();  // documents go before their engine
}

void VDRW_PageDrawer::Forget(VCOS_DocId doc) { m_opened.erase(doc); }

void VDRW_PageDrawer::SetThreads(int threads) { m_threads = threads; }

VDRW_Engine* VDRW_PageDrawer::Engine() {
    if (!m_engine)
        m_engine.reset(VDRW_Checked("cannot start MuPDF", [](VDRW_Status* status) { return VDRW_NewEngine(status); }));
    return m_engine.get();
}

VDRW_Document* VDRW_PageDrawer::Document(VCOS_DocId doc) {
    for (auto it = m_opened.begin(); it != m_opened.end();)
        it = m_store.IsOpen(it->first) ? std::next(it) : m_opened.erase(it);
    const uint64_t changes = m_store.Changes(doc);
    const auto found = m_opened.find(doc);
    if (found != m_opened.end() && found->second.m_changes == changes)
        return found->second.m_document.Get();
    m_opened.erase(doc);
    VDRW_Engine* engine = Engine();
    Opened opened;
    opened.m_changes = changes;
    opened.m_bytes = std::make_unique<const std::string>(VDRW_InlineWriter::Write(m_store, doc));
    const std::string& bytes = *opened.m_bytes;
    opened.m_document = VDRW_DocumentHolder(
        engine, VDRW_Checked("the document does not open", [&](VDRW_Status* status) {
            return VDRW_OpenDocument(engine, reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(),
                                     status);
        }));
    return m_opened.emplace(doc, std::move(opened)).first->second.m_document.Get();
}

VDRW_Drawn VDRW_PageDrawer::DrawOrThrow(VCOS_DocId doc, int pageIndex, const PDFL_FixedMatrix& matrix, HDC dc,
                                        const PDFL_FixedRect& updateRect, PDFL_CancelProc cancel, void* cancelData) {
    const VDRW_DibTarget target = VDRW_DibTarget::FromDC(dc);
    const VDRW_PageSpace space = VDRW_PageSpaceReader::Read(m_store, doc, pageIndex);
    const VDRW_Transform drawing = VDRW_DrawingMatrix(matrix, space.m_width, space.m_height);
    const PixelRect area =
        PixelRect{0, 0, target.Width(), target.Height()}
            .Intersect(Covered(drawing, FromFixed(updateRect.m_left), FromFixed(updateRect.m_bottom),
                               FromFixed(updateRect.m_right), FromFixed(updateRect.m_top)))
            .Intersect(Covered(drawing, 0, 0, space.m_width, space.m_height));
    if (area.Empty())
        return VDRW_Drawn();

    VDRW_Document* document = Document(doc);
    VDRW_Engine* engine = Engine();
    bool stopped = false;
    const VDRW_Transform userToDevice = UserToDevice(drawing, space);
    const VDRW_PageListHolder list(engine, VDRW_Checked("the page cannot be read", [&](VDRW_Status* status) {
        VDRW_PageList* made = VDRW_NewPageList(engine, document, pageIndex, status);
        stopped = status->m_code == VDRW_StatusAborted;
        if (stopped)
            status->m_code = VDRW_StatusOk;
        return made;
    }));
    if (stopped)
        return VDRW_Drawn();
    // Each image is decoded as far as the whole drawing shows it, the same
    // part for every band.
    const VDRW_Band shown{nullptr, area.m_left, area.m_top, area.m_right - area.m_left, area.m_bottom - area.m_top};
    VDRW_Checked("drawing failed", [&](VDRW_Status* status) {
        return VDRW_PlanImageDecode(engine, list.Get(), &userToDevice, &shown, status);
    });
    // Patterns are weighed over the whole page, whatever part of it is shown.
    constexpr int kFar = 1 << 29;  // sides that an int holds
    const PixelRect page = Covered(drawing, 0, 0, space.m_width, space.m_height).Intersect({-kFar, -kFar, kFar, kFar});
    const VDRW_Band pageArea{nullptr, page.m_left, page.m_top, page.m_right - page.m_left, page.m_bottom - page.m_top};
    VDRW_Checked("drawing failed", [&](VDRW_Status* status) {
        return VDRW_PlanPatterns(engine, list.Get(), &userToDevice, &pageArea, status);
    });
    std::vector<PixelRect> bands;
    for (int top = area.m_top; top < area.m_bottom; top += BandRows)
        bands.push_back(PixelRect{area.m_left, top, area.m_right, std::min(top + BandRows, area.m_bottom)});
    // Kept blocks are for the bands of one drawing, not for the time between.
    struct Trim {
        VDRW_Engine* m_engine;
        ~Trim() { VDRW_TrimEngine(m_engine); }
    } trim{engine};
    const uint64_t areaPixels = uint64_t(area.m_right - area.m_left) * uint64_t(area.m_bottom - area.m_top);
    const int threads = std::min<int>(m_threads > 0 ? m_threads : VDRW_BandRun::DefaultThreads(areaPixels),
                                      static_cast<int>(bands.size()));
    VDRW_BandRun run(engine, threads, [&](VDRW_Engine* bandEngine, size_t i, std::vector<uint8_t>& pixels) {
        DrawBand(bandEngine, list.Get(), userToDevice, target, bands[i], pixels);
    });
    bool complete = true;
    for (size_t i = 0; i < bands.size(); ++i) {
        if (AskCancel(cancel, cancelData)) {
            complete = false;
            run.Abort(kStopGrace);
            break;
        }
        if (!run.Hand(i))
            break;
    }
    run.Finish();
    // Bands stopped from outside left their pixels as they were.
    if (VDRW_DrawingStopped())
        complete = false;
    // Read once the bands are drawn: images are decoded as they are.
    const char* unread = VDRW_PageListError(list.Get());
    return VDRW_Drawn{area.m_left, area.m_top, area.m_right, area.m_bottom, complete, unread ? unread : ""};
}

VDRW_Drawn VDRW_PageDrawer::Draw(VCOS_DocId doc, int pageIndex, const PDFL_FixedMatrix& matrix, HDC dc,
                                 const PDFL_FixedRect& updateRect, PDFL_CancelProc cancel, void* cancelData) {
    std::string failure;
    try {
        return DrawOrThrow(doc, pageIndex, matrix, dc, updateRect, cancel, cancelData);
    } catch (const VDRW_Error& error) {
        failure = error.what();
    } catch (const VCOS_Error& error) {
        failure = error.what();
    }
    // Raised after the catch block has ended.
    throw VIEW_HostRaise(VIEW_ErrorRegistry::Register(kErrorSeverity, failure.c_str()));
}
