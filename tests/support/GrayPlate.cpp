#include "support/GrayPlate.h"

#include "support/TestSupport.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <stdexcept>

namespace {

class TiffReader {
public:
    explicit TiffReader(const std::string& path) : m_path(path), m_bytes(ReadWholeFile(path)) {
        if (m_bytes.size() < 8 || (m_bytes.compare(0, 4, "II*\0", 4) != 0 && m_bytes.compare(0, 4, "MM\0*", 4) != 0))
            Fail("not a TIFF file");
        m_bigEndian = m_bytes[0] == 'M';
    }

    GrayPlate Read() {
        const uint32_t ifd = Word(4, 4);
        const uint32_t count = Word(ifd, 2);
        std::vector<uint32_t> offsets, sizes;
        uint32_t bits = 0, compression = 1, samples = 1;
        GrayPlate plate;
        for (uint32_t i = 0; i < count; ++i) {
            const uint32_t entry = ifd + 2 + 12 * i;
            const uint32_t tag = Word(entry, 2);
            const std::vector<uint32_t> values = Values(entry);
            if (values.empty())
                continue;
            switch (tag) {
            case 256: plate.width = static_cast<int>(values[0]); break;
            case 257: plate.height = static_cast<int>(values[0]); break;
            case 258: bits = values[0]; break;
            case 259: compression = values[0]; break;
            case 273: offsets = values; break;
            case 277: samples = values[0]; break;
            case 279: sizes = values; break;
            default: break;
            }
        }
        if (bits != 8 || compression != 1 || samples != 1 || offsets.size() != sizes.size())
            Fail("not an uncompressed 8-bit plate");
        for (size_t s = 0; s < offsets.size(); ++s) {
            if (uint64_t(offsets[s]) + sizes[s] > m_bytes.size())
                Fail("strip outside the file");
            plate.pixels.insert(plate.pixels.end(), m_bytes.begin() + offsets[s],
                                m_bytes.begin() + offsets[s] + sizes[s]);
        }
        if (plate.width <= 0 || plate.height <= 0 ||
            plate.pixels.size() != static_cast<size_t>(plate.width) * plate.height)
            Fail("strips do not fill the image");
        return plate;
    }

private:
    [[noreturn]] void Fail(const std::string& why) const {
        throw std::runtime_error("ReadTiffPlate: " + m_path + ": " + why);
    }

    uint32_t Word(uint64_t offset, uint32_t size) const {
        if (offset + size > m_bytes.size())
            Fail("truncated");
        uint32_t value = 0;
        for (uint32_t i = 0; i < size; ++i) {
            const uint8_t byte = static_cast<uint8_t>(m_bytes[offset + (m_bigEndian ? i : size - 1 - i)]);
            value = (value << 8) | byte;
        }
        return value;
    }

    // The SHORT or LONG values of a directory entry, in place or at their
    // offset; other types read as none.
    std::vector<uint32_t> Values(uint32_t entry) const {
        const uint32_t type = Word(entry + 2, 2);
        const uint32_t count = Word(entry + 4, 4);
        const uint32_t size = type == 3 ? 2 : type == 4 ? 4 : 0;
        if (size == 0 || count > m_bytes.size())
            return {};
        const uint64_t at = uint64_t(size) * count <= 4 ? entry + 8 : Word(entry + 8, 4);
        std::vector<uint32_t> values;
        for (uint32_t i = 0; i < count; ++i)
            values.push_back(Word(at + uint64_t(i) * size, size));
        return values;
    }

    std::string m_path;
    std::string m_bytes;
    bool m_bigEndian = false;
};

}  // namespace

double GrayPlate::InkedShare() const {
    if (pixels.empty())
        return 0;
    size_t inked = 0;
    for (uint8_t p : pixels)
        inked += p < 255;
    return static_cast<double>(inked) / pixels.size();
}

GrayPlate ReadTiffPlate(const std::string& path) { return TiffReader(path).Read(); }

GrayPlate ReadPgm(const std::string& path) {
    const std::string bytes = ReadWholeFile(path);
    size_t pos = 2;
    // The next header number, past white space and comments.
    auto number = [&]() {
        while (pos < bytes.size() && (std::isspace(static_cast<unsigned char>(bytes[pos])) || bytes[pos] == '#'))
            pos = bytes[pos] == '#' ? bytes.find('\n', pos) : pos + 1;
        const size_t start = pos;
        while (pos < bytes.size() && std::isdigit(static_cast<unsigned char>(bytes[pos])))
            ++pos;
        return pos == start ? -1L : std::strtol(bytes.c_str() + start, nullptr, 10);
    };
    GrayPlate image;
    const bool magic = bytes.compare(0, 2, "P5") == 0;
    image.width = static_cast<int>(number());
    image.height = static_cast<int>(number());
    const long maximum = number();
    const size_t size = static_cast<size_t>(image.width) * static_cast<size_t>(image.height);
    if (!magic || maximum != 255 || image.width <= 0 || image.height <= 0 || pos + 1 + size != bytes.size())
        throw std::runtime_error("ReadPgm: " + path + ": not an 8-bit binary PGM file");
    image.pixels.assign(bytes.begin() + static_cast<long>(pos) + 1, bytes.end());
    return image;
}

namespace {

// Whether a level more than PlateMatch::Tolerance away from (x, y)'s lies
// within `reach` pixels of it, inside width × height.
bool NearEdge(const GrayPlate& image, int x, int y, int reach, int width, int height) {
    const int level = image.At(x, y);
    for (int ny = std::max(0, y - reach); ny <= std::min(height - 1, y + reach); ++ny)
        for (int nx = std::max(0, x - reach); nx <= std::min(width - 1, x + reach); ++nx)
            if (std::abs(image.At(nx, ny) - level) > PlateMatch::Tolerance)
                return true;
    return false;
}

bool Inside(const std::vector<PixelBox>& boxes, int x, int y) {
    for (const PixelBox& box : boxes)
        if (x >= box.x0 && x < box.x1 && y >= box.y0 && y < box.y1)
            return true;
    return false;
}

// Edges are looked for within plateReach pixels in the plate and
// renderingReach pixels in the rendering (0: not there).
PlateMatch Compare(const GrayPlate& plate, const GrayPlate& rendering, int plateReach, int renderingReach,
                   int tolerance, const std::vector<PixelBox>& leftOut) {
    if (std::abs(plate.width - rendering.width) > 1 || std::abs(plate.height - rendering.height) > 1)
        throw std::runtime_error("ComparePlate: a " + std::to_string(rendering.width) + "x" +
                                 std::to_string(rendering.height) + " rendering against a " +
                                 std::to_string(plate.width) + "x" + std::to_string(plate.height) + " plate");
    const int width = std::min(plate.width, rendering.width);
    const int height = std::min(plate.height, rendering.height);
    PlateMatch match;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            if (Inside(leftOut, x, y) || NearEdge(plate, x, y, plateReach, width, height) ||
                (renderingReach > 0 && NearEdge(rendering, x, y, renderingReach, width, height)))
                continue;
            const int level = plate.At(x, y);
            const int drawn = rendering.At(x, y);
            const bool matches = std::abs(drawn - level) <= tolerance;
            ++match.nonEdge;
            match.matching += matches;
            if (level < PlateMatch::InkedBelow || drawn < PlateMatch::InkedBelow) {
                ++match.inked;
                match.inkedMatching += matches;
            }
        }
    return match;
}

}  // namespace

PlateMatch ComparePlate(const GrayPlate& plate, const GrayPlate& rendering) {
    return Compare(plate, rendering, 1, 0, PlateMatch::Tolerance, {});
}

PlateMatch CompareDrawing(const GrayPlate& rendering, const GrayPlate& drawing, int tolerance,
                          const std::vector<PixelBox>& leftOut) {
    return Compare(rendering, drawing, 2, 1, tolerance, leftOut);
}
