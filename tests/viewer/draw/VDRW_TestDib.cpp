#include "VDRW_TestDib.h"

#include <cmath>
#include <cstring>
#include <stdexcept>

#include "../cos/VCOS_TestPdf.h"
#include "viewer/cos/VCOS_Reader.h"

VDRW_TestDib::VDRW_TestDib(int width, int height, uint8_t fill, bool topDown)
    : m_width(width), m_height(height), m_topDown(topDown) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = topDown ? -height : height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    m_bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    m_dc = CreateCompatibleDC(nullptr);
    if (!m_bitmap || !m_dc)
        throw std::runtime_error("VDRW_TestDib: no DIB section or DC");
    m_bits = static_cast<uint8_t*>(bits);
    std::memset(m_bits, fill, static_cast<size_t>(width) * height * 4);
    m_previous = SelectObject(m_dc, m_bitmap);
}

VDRW_TestDib::~VDRW_TestDib() {
    SelectObject(m_dc, m_previous);
    DeleteDC(m_dc);
    DeleteObject(m_bitmap);
}

const uint8_t* VDRW_TestDib::Pixel(int x, int y) const {
    const int row = m_topDown ? y : m_height - 1 - y;
    return m_bits + (static_cast<size_t>(row) * m_width + x) * 4;
}

GrayPlate VDRW_TestDib::Blue() const {
    GrayPlate plate{m_width, m_height, std::vector<uint8_t>(static_cast<size_t>(m_width) * m_height)};
    for (int y = 0; y < m_height; ++y)
        for (int x = 0; x < m_width; ++x)
            plate.At(x, y) = Pixel(x, y)[0];
    return plate;
}

namespace {

PDFL_Fixed Fixed(double v) { return static_cast<PDFL_Fixed>(std::trunc(v * 65536 + 0.5)); }

}  // namespace

PDFL_FixedMatrix VDRW_Matrix(double a, double b, double c, double d, double e, double f) {
    return {Fixed(a), Fixed(b), Fixed(c), Fixed(d), Fixed(e), Fixed(f)};
}

PDFL_FixedRect VDRW_Rect(double left, double bottom, double right, double top) {
    return {Fixed(left), Fixed(bottom), Fixed(right), Fixed(top)};
}

VCOS_DocId VDRW_OnePageDoc(VCOS_Store& store, const std::string& pageEntries, const std::string& content) {
    const std::string media = pageEntries.find("/MediaBox") == std::string::npos ? "/MediaBox [0 0 612 792] " : "";
    const std::string file = VCOS_MakePdf(
        "%PDF-1.4", {"<< /Type /Catalog /Pages 2 0 R >>", "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
                     "<< /Type /Page /Parent 2 0 R " + media + pageEntries +
                         " /Resources << /Font << /F1 5 0 R >> >> /Contents 4 0 R >>",
                     "<< /Length " + std::to_string(content.size()) + " >>\nstream\n" + content + "\nendstream",
                     "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>"});
    return VCOS_Reader::Read(store, file, "one-page.pdf");
}
