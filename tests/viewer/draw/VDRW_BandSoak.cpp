#include "VDRW_BandSoak.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "VDRW_TestDib.h"
#include "support/Deflated.h"
#include "viewer/cos/VCOS_TestPdf.h"
#include "viewer/cos/VCOS_Reader.h"
#include "viewer/draw/VDRW_PageDrawer.h"
#include "viewer/draw/VDRW_PageSpace.h"

namespace {

std::vector<uint8_t> Bytes(const VDRW_TestDib& dib) {
    std::vector<uint8_t> bytes;
    for (int y = 0; y < dib.Height(); ++y)
        bytes.insert(bytes.end(), dib.Pixel(0, y), dib.Pixel(0, y) + dib.Width() * 4);
    return bytes;
}

// One drawing of the rows; empty when it failed.
std::vector<uint8_t> DrawRows(const std::string& file, int pageIndex, double dpi, int top, int bottom,
                              int threads) {
    const double scale = dpi / 72;
    VCOS_Store store;
    const VCOS_DocId doc = VCOS_Reader::Read(store, file, "soak.pdf");
    const VDRW_PageSpace space = VDRW_PageSpaceReader::Read(store, doc, pageIndex);
    const int width = static_cast<int>(space.m_width * scale + 0.5);
    const double height = space.m_height * scale;
    const PDFL_FixedMatrix matrix = VDRW_Matrix(scale, 0, 0, -scale, 0, height);
    // Halfway into the edge rows, so that fixed-point rounding moves no band.
    const PDFL_FixedRect update =
        VDRW_Rect(0, (height - (bottom - 0.5)) / scale, space.m_width, (height - (top + 0.5)) / scale);
    VDRW_PageDrawer drawer(store);
    drawer.SetThreads(threads);
    VDRW_TestDib dib(width, bottom);
    const VDRW_Drawn drawn = drawer.Draw(doc, pageIndex, matrix, dib.DC(), update, nullptr, nullptr);
    EXPECT_TRUE(drawn.m_complete);
    EXPECT_EQ(drawn.m_top, top);
    EXPECT_EQ(drawn.m_bottom, bottom);
    if (!drawn.m_complete || drawn.m_top != top || drawn.m_bottom != bottom)
        return {};
    return Bytes(dib);
}

}  // namespace

int VDRW_PageRows(const std::string& file, int pageIndex, double dpi) {
    VCOS_Store store;
    const VCOS_DocId doc = VCOS_Reader::Read(store, file, "soak.pdf");
    return static_cast<int>(VDRW_PageSpaceReader::Read(store, doc, pageIndex).m_height * dpi / 72 + 0.5);
}

std::vector<uint8_t> VDRW_SoakRows(const std::string& file, int pageIndex, double dpi, int top, int bottom,
                                   int runs) {
    std::vector<uint8_t> reference;
    for (int run = 0; run < runs; ++run) {
        const int threads = run == 0 ? 1 : run % 3 == 0 ? 1 : 8;
        SCOPED_TRACE("run " + std::to_string(run) + " on " + std::to_string(threads) + " threads");
        const std::vector<uint8_t> bytes = DrawRows(file, pageIndex, dpi, top, bottom, threads);
        if (bytes.empty())
            return {};
        if (run == 0) {
            reference = bytes;
            continue;
        }
        size_t differ = 0, firstRow = 0;
        for (size_t i = 0; i < bytes.size(); i += 4) {
            if (std::memcmp(&bytes[i], &reference[i], 4) != 0 && differ++ == 0)
                firstRow = i / (bytes.size() / bottom);
        }
        EXPECT_EQ(differ, 0u) << "pixels differ from the first drawing's, the first in row " << firstRow;
    }
    return reference;
}

// A 200-point page drawing, uses times at its top-left corner, a side ×
// side one-ink image (uneven values in its top-left corner × corner
// samples, the rest 0) at dpi; with a soft mask of the same size (200
// throughout) when masked.
std::string VDRW_HugeImagePage(int side, int corner, int dpi, int uses, bool masked) {
    const auto rows = [&](bool mask) {
        return DeflatedRows(side, side, 1, [&](int y, std::string& row) {
            if (mask && y == 0)
                std::fill(row.begin(), row.end(), static_cast<char>(200));
            for (int x = 0; !mask && x < std::min(side, corner); ++x)
                row[x] = static_cast<char>(y < corner ? (x * 37 + y * 91) & 255 : 0);
        });
    };
    const std::string data = rows(false), points = std::to_string(side * 72.0 / dpi);
    std::string content;
    for (int i = 0; i < uses; ++i)
        content += "q " + points + " 0 0 " + points + " 0 " + std::to_string(200 - side * 72.0 / dpi) +
                   " cm /Im0 Do Q\n";
    const std::string size = " /Width " + std::to_string(side) + " /Height " + std::to_string(side);
    std::vector<std::string> objects{
        "<< /Type /Catalog /Pages 2 0 R >>", "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
        "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 200 200] /Resources << /XObject << /Im0 5 0 R >> >> "
        "/Contents 4 0 R >>",
        "<< /Length " + std::to_string(content.size()) + " >>\nstream\n" + content + "\nendstream",
        "<< /Type /XObject /Subtype /Image" + size +
            " /ColorSpace [/Separation /Gold /DeviceCMYK << /FunctionType 2 /Domain [0 1] /C0 [0 0 0 0] "
            "/C1 [0 0.25 0.9 0.1] /N 1 >>] /BitsPerComponent 8 /Filter /FlateDecode" +
            (masked ? " /SMask 6 0 R" : "") + " /Length " + std::to_string(data.size()) + " >>\nstream\n" + data +
            "\nendstream"};
    if (masked) {
        const std::string mask = rows(true);
        objects.push_back("<< /Type /XObject /Subtype /Image" + size +
                          " /ColorSpace /DeviceGray /BitsPerComponent 8 /Filter /FlateDecode /Length " +
                          std::to_string(mask.size()) + " >>\nstream\n" + mask + "\nendstream");
    }
    return VCOS_MakePdf("%PDF-1.4", objects);
}
