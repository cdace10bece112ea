// The slicing operations of the separation engine on an object from the
// input (FUZZ_Objects; object 0), after a flags byte (FUZZ_NewJob):
//   SliceFunction  eight point bytes, then a function or an array of them:
//                  each slice, where the source gives a value, gives 1 minus
//                  it within 1/255 (2/255 for 12-bit samples) of the
//                  sampled functions' Decode width;
//   SliceShading   a shading: SliceShading and MakeConstantShading make
//                  DeviceGray shadings the shading reader takes;
//   SliceImage     an image (SliceImage, and SliceIndexed on an Indexed
//                  space of it) or an Indexed colour space (SliceIndexed):
//                  every output sample is 2^b - 1 - the source's, JPEG
//                  data's rows as libjpeg decodes them alone
//                  (FUZZ_JpegReference), the rows past those they keep
//                  2^b - 1; its soft mask cut short (CutShortSoftMask)
//                  keeps those rows of the mask as they are, the rest 0.
// No temporary file outlives the job.
#include "CPDF/color/CPDF_IndexedColorSpace.h"
#include "CPDF/function/CPDF_SampledFunction.h"
#include "CPDF/image/CPDF_ImageParams.h"
#include "CPDF/shading/CPDF_Shading.h"
#include "FUZZ_Input.h"
#include "FUZZ_JpegReference.h"
#include "FUZZ_SepJob.h"
#include "FUZZ_TargetList.h"
#include "FUZZ_Targets.h"
#include "GLOB/GLOB_Memory_Impl.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <string>
#include <vector>

namespace {

constexpr size_t PointBytes = 8;
constexpr unsigned Points = 4;
// Decoded bytes an image or lookup check reads.
constexpr size_t MaxCheckedBytes = size_t(1) << 20;

// Runs check on object 0 of the rest of the input in a job of the flags,
// then expects no temporary file left.
void WithObject(FUZZ_Input& in, const std::function<void(FUZZ_Slicer&, const GLOB_Object&)>& check) {
    const uint8_t flags = in.Byte();
    const std::string text = in.Rest();
    const FUZZ_TempDirScope tmp;
    {
        GLOB_Doc doc = GLOB_Memory_Impl::Make();
        doc.Create("%PDF-1.3", 0);
        const FUZZ_Objects objects(doc, text);
        if (objects.Objects().empty() || FUZZ_HasEnormousTree(objects.Objects()[0]))
            return;
        FUZZ_Slicer slicer(FUZZ_NewJob(flags));
        try {
            check(slicer, objects.Objects()[0]);
        } catch (const GLIB_Exception&) {
        }
    }
    tmp.ExpectNoTempFiles("after slicing");
}

// The input value of a point byte over [min, max]: bytes 32 to 216 run
// over it, the rest a little beyond.
double PointValue(uint8_t byte, double min, double max) {
    const double value = min + (max - min) * (byte - 32) / 184.0;
    return std::isfinite(value) ? value : byte - 128.0;
}

// The widest Decode pair of the sampled functions in function's tree, at
// least 1, and whether one has 12-bit samples.
void SampleScale(const CPDF_Function& function, double& width, bool& twelve, uint32_t depth = 0) {
    if (depth > 32)
        return;
    if (function.IsSampled()) {
        const CPDF_SampledFunction sampled = function.AsSampled();
        twelve = twelve || sampled.BitsPerSample() == 12;
        for (unsigned j = 0; j < function.RangeDimension(); ++j) {
            double d0, d1;
            sampled.Decode().Get(j, d0, d1);
            width = std::max(width, std::fabs(d1 - d0));
        }
        return;
    }
    const GLOB_Object functions = function.Object().DictGet(GLOB_Name("Functions"));
    for (uint32_t k = 0; functions.IsArray() && k < functions.Length(); ++k)
        SampleScale(CPDF_Function(functions.Get(k)), width, twelve, depth + 1);
}

// The source's outputs at point: all of one function's, or the first of
// each of an array's; false when the source cannot give them.
bool SourceOutputs(const GLOB_Object& source, std::vector<double> point, std::vector<double>& out) {
    out.clear();
    try {
        std::vector<GLOB_Object> functions;
        for (uint32_t k = 0; source.IsArray() ? k < source.Length() : k < 1; ++k)
            functions.push_back(source.IsArray() ? source.Get(k) : source);
        for (const GLOB_Object& object : functions) {
            const CPDF_Function function(object);
            std::vector<double> in = point;
            in.resize(std::max<size_t>(function.DomainDimension(), 1));
            std::vector<double> values(std::max(function.RangeDimension(), 1u));
            function.Evaluate(in.data(), values.data(), 1);
            if (source.IsArray())
                out.push_back(values[0]);
            else
                out = values;
        }
    } catch (const GLIB_Exception&) {
        return false;
    }
    return std::all_of(out.begin(), out.end(), [](double v) { return std::isfinite(v); });
}

void CheckFunction(FUZZ_Slicer& slicer, const GLOB_Object& source, const uint8_t* pointBytes) {
    std::vector<GLOB_Object> slices;
    slicer.SliceFunction(source, slices);
    const GLOB_Object first = source.IsArray() ? source.Get(0) : source;
    const CPDF_Function function(first);
    double width = 1;
    bool twelve = false;
    std::vector<CPDF_Function> sliced;
    try {
        for (uint32_t k = 0; source.IsArray() ? k < source.Length() : k < 1; ++k)
            SampleScale(CPDF_Function(source.IsArray() ? source.Get(k) : source), width, twelve);
        for (const GLOB_Object& slice : slices)
            sliced.emplace_back(slice);
    } catch (const GLIB_Exception& e) {
        throw FUZZ_Finding("A sliced function the reader refuses: " + e.Description());
    }
    const double tolerance = (twelve ? 2 : 1) / 255.0 * width;
    const CPDF_IntervalSet domain = function.Domain();
    const unsigned m = domain.NumIntervals();
    std::vector<double> expected;
    for (unsigned p = 0; p < Points; ++p) {
        std::vector<double> point(m);
        for (unsigned i = 0; i < m; ++i) {
            double min, max;
            domain.Get(i, min, max);
            point[i] = PointValue(pointBytes[(p * 3 + i) % PointBytes], min, max);
        }
        if (!SourceOutputs(source, point, expected))
            continue;
        if (expected.size() != slices.size())
            throw FUZZ_Finding("Sliced " + std::to_string(slices.size()) + " outputs of " +
                               std::to_string(expected.size()));
        for (size_t j = 0; j < slices.size(); ++j) {
            std::vector<double> in = point;
            in.resize(std::max<size_t>(sliced[j].DomainDimension(), 1));
            double value = 0;
            try {
                sliced[j].Evaluate(in.data(), &value, 1);
            } catch (const GLIB_Exception& e) {
                throw FUZZ_Finding("A sliced function fails where the source does not: " + e.Description());
            }
            // Arithmetic on large values rounds on its own.
            const double bound = tolerance + 1e-6 * std::max(1.0, std::fabs(expected[j]));
            if (!(std::fabs(value - (1 - expected[j])) <= bound))
                throw FUZZ_Finding("Slice " + std::to_string(j) + " gives " + std::to_string(value) + " where 1 - " +
                                   std::to_string(expected[j]) + " is expected");
        }
    }
}

void ExpectGrayShading(const GLOB_Object& shading, const char* what) {
    std::string messages;
    bool valid = false;
    try {
        valid = CPDF_Shading::IsValid(shading, &messages) && CPDF_Shading(shading).ColorSpace().IsDeviceGray();
    } catch (const GLIB_Exception& e) {
        messages += e.Description();
    }
    if (!valid)
        throw FUZZ_Finding(std::string(what) + " made a shading the reader refuses: " + messages);
}

void CheckShading(FUZZ_Slicer& slicer, const GLOB_Object& source) {
    FUZZ_Expect([&] {
        std::vector<GLOB_Object> slices;
        slicer.SliceShading(source, slices);
        for (const GLOB_Object& slice : slices)
            ExpectGrayShading(slice, "SliceShading");
    });
    FUZZ_Expect([&] { ExpectGrayShading(slicer.MakeConstantShading(source), "MakeConstantShading"); });
}

// Sample index (of bits each) of the row starting at byte row.
uint32_t Sample(const std::string& data, size_t row, uint64_t index, int bits) {
    if (bits >= 8) {
        uint32_t value = 0;
        for (int b = 0; b < bits / 8; ++b)
            value = value << 8 | static_cast<uint8_t>(data[row + index * (bits / 8) + b]);
        return value;
    }
    const uint64_t bit = index * bits;
    const uint8_t byte = static_cast<uint8_t>(data[row + bit / 8]);
    return (byte >> (8 - bits - bit % 8)) & ((1u << bits) - 1);
}

void CheckIndexed(FUZZ_Slicer& slicer, const CPDF_IndexedColorSpace& space) {
    std::vector<GLOB_Object> slices;
    slicer.SliceIndexed(space, slices, false);
    const unsigned s = space.NumSamples();
    const unsigned m = space.BaseColorSpace().NumComponents();
    std::string lookup;
    {
        GLOB_Stream stream = space.LookupStream();
        for (FILT_FilterBuffer* b = stream.Read(); b->DataAvailable() > 0 && lookup.size() < size_t(s) * m;
             b = stream.Read()) {
            lookup.append(reinterpret_cast<const char*>(b->GetPtr()), b->DataAvailable());
            b->AdvanceGetPtr(b->DataAvailable());
        }
        stream.Close();
    }
    if (slices.size() != m)
        throw FUZZ_Finding("SliceIndexed made " + std::to_string(slices.size()) + " spaces of " + std::to_string(m));
    for (unsigned j = 0; j < m; ++j) {
        const CPDF_IndexedColorSpace slice(slices[j]);
        std::string table;
        GLOB_Stream stream = slice.LookupStream();
        for (FILT_FilterBuffer* b = stream.Read(); b->DataAvailable() > 0; b = stream.Read()) {
            table.append(reinterpret_cast<const char*>(b->GetPtr()), b->DataAvailable());
            b->AdvanceGetPtr(b->DataAvailable());
        }
        stream.Close();
        if (slice.NumSamples() != s || table.size() < s)
            throw FUZZ_Finding("SliceIndexed table " + std::to_string(j) + " is short");
        for (unsigned e = 0; e < s; ++e) {
            const size_t at = size_t(e) * m + j;
            const uint8_t source = at < lookup.size() ? static_cast<uint8_t>(lookup[at]) : 0;
            if (static_cast<uint8_t>(table[e]) != 255 - source)
                throw FUZZ_Finding("SliceIndexed entry " + std::to_string(e) + " of table " + std::to_string(j) +
                                   " is not 255 - the source's byte");
        }
    }
}

bool MentionsDCT(const GLOB_Object& filter) {
    if (filter.IsArray()) {
        for (uint32_t i = 0; i < filter.Length(); ++i)
            if (MentionsDCT(filter.Get(i)))
                return true;
        return false;
    }
    return filter.IsName() && (filter.AsName() == "DCTDecode" || filter.AsName() == "DCT");
}

void CheckImage(FUZZ_Slicer& slicer, const GLOB_Object& image) {
    std::vector<GLOB_Object> slices;
    slicer.SliceImage(image, slices);
    const CPDF_ImageParams params(image.StreamDict());
    const uint64_t width = static_cast<uint64_t>(params.Width());
    const uint64_t height = static_cast<uint64_t>(params.Height());
    const unsigned n = params.NumComponents();
    const int bits = params.BitsPerComponent();
    if (slices.size() != n)
        throw FUZZ_Finding("SliceImage made " + std::to_string(slices.size()) + " images of " + std::to_string(n));
    const uint64_t sourceRow = (width * n * bits + 7) / 8;
    const uint64_t sliceRow = (width * bits + 7) / 8;
    if (n == 0 || sourceRow == 0 || sourceRow * height > MaxCheckedBytes)
        return;
    // JPEG data keep the rows libjpeg's own counters say they reach
    // (FUZZ_JpegReference), the rest missing; other data are read whole.
    std::string source;
    uint64_t rows = 0, missingFrom = 0;
    FUZZ_JpegRows jpeg;
    if (FUZZ_JpegReference(image, MaxCheckedBytes, jpeg)) {
        if (bits != 8 || jpeg.rowBytes != sourceRow)
            return;
        source = jpeg.rows.substr(0, jpeg.kept * sourceRow);
        rows = missingFrom = std::min<uint64_t>(height, jpeg.kept);
    } else if (MentionsDCT(image.DictGet(GLOB_Name("Filter")))) {
        // Another chain, or data libjpeg refuses: no reference.
        rows = 0;
        missingFrom = height;
    } else {
        source = FUZZ_StreamBytes(image, MaxCheckedBytes);
        rows = std::min<uint64_t>(height, source.size() / sourceRow);
        // Rows of which the data hold no byte read as samples 0.
        missingFrom = std::min<uint64_t>(height, (source.size() + sourceRow - 1) / sourceRow);
    }
    const uint32_t maxValue = bits >= 32 ? 0xFFFFFFFFu : (1u << bits) - 1;
    for (unsigned j = 0; j < n; ++j) {
        const std::string slice = FUZZ_StreamBytes(slices[j], MaxCheckedBytes);
        if (slice.size() < height * sliceRow)
            throw FUZZ_Finding("Image slice " + std::to_string(j) + " holds " + std::to_string(slice.size()) +
                               " bytes for " + std::to_string(height) + " rows");
        for (uint64_t y = 0; y < rows; ++y)
            for (uint64_t x = 0; x < width; ++x)
                if (Sample(slice, y * sliceRow, x, bits) != maxValue - Sample(source, y * sourceRow, x * n + j, bits))
                    throw FUZZ_Finding("Image slice " + std::to_string(j) + " sample " + std::to_string(x) + "," +
                                       std::to_string(y) + " is not 2^b - 1 - the source's");
        for (uint64_t y = missingFrom; y < height; ++y)
            for (uint64_t x = 0; x < width; ++x)
                if (Sample(slice, y * sliceRow, x, bits) != maxValue)
                    throw FUZZ_Finding("Image slice " + std::to_string(j) + " sample " + std::to_string(x) + "," +
                                       std::to_string(y) + " is not 2^b - 1 where the source has no data");
    }
}

// A soft mask goes as it is, or, its JPEG data cut short, as the rows
// libjpeg decodes of them (FUZZ_JpegReference) with the rest 0: no coverage.
void CheckSoftMask(FUZZ_Slicer& slicer, const GLOB_Object& mask) {
    const GLOB_Object kept = slicer.CutShortSoftMask(mask);
    const CPDF_ImageParams params(mask.StreamDict());
    const uint64_t width = static_cast<uint64_t>(params.Width());
    const uint64_t height = static_cast<uint64_t>(params.Height());
    FUZZ_JpegRows jpeg;
    if (kept.IsNull() || params.BitsPerComponent() != 8 || width * height > MaxCheckedBytes ||
        !FUZZ_JpegReference(mask, MaxCheckedBytes, jpeg) || jpeg.rowBytes != width)
        return;
    const std::string samples = FUZZ_StreamBytes(kept, MaxCheckedBytes);
    if (samples.size() < width * height)
        throw FUZZ_Finding("A cut soft mask holds " + std::to_string(samples.size()) + " samples of " +
                           std::to_string(width * height));
    const uint64_t rows = std::min(height, jpeg.kept);
    if (samples.compare(0, rows * width, jpeg.rows, 0, rows * width) != 0)
        throw FUZZ_Finding("A cut soft mask's rows are not libjpeg's");
    if (samples.find_first_not_of('\0', rows * width) < width * height)
        throw FUZZ_Finding("A cut soft mask covers rows its data do not reach");
}

}  // namespace

void FUZZ_SliceFunction(const uint8_t* data, size_t size) {
    FUZZ_Input in(data, size);
    uint8_t points[PointBytes];
    const uint8_t flags = in.Byte();
    for (uint8_t& byte : points)
        byte = in.Byte();
    const std::string rest = std::string(1, static_cast<char>(flags)) + in.Rest();
    FUZZ_Input objects(reinterpret_cast<const uint8_t*>(rest.data()), rest.size());
    WithObject(objects, [&](FUZZ_Slicer& slicer, const GLOB_Object& source) { CheckFunction(slicer, source, points); });
}

void FUZZ_SliceShading(const uint8_t* data, size_t size) {
    FUZZ_Input in(data, size);
    WithObject(in, CheckShading);
}

void FUZZ_SliceImage(const uint8_t* data, size_t size) {
    FUZZ_Input in(data, size);
    WithObject(in, [](FUZZ_Slicer& slicer, const GLOB_Object& object) {
        GLOB_Object space = object;
        if (object.IsStream()) {
            FUZZ_Expect([&] { CheckImage(slicer, object); });
            space = object.DictGet(GLOB_Name("ColorSpace"));
            const GLOB_Object mask = object.DictGet(GLOB_Name("SMask"));
            if (mask.IsStream())
                FUZZ_Expect([&] { CheckSoftMask(slicer, mask); });
        }
        if (space.IsArray() && space.Length() > 0 && space.Get(0).IsName() && space.Get(0).AsName() == "Indexed")
            FUZZ_Expect([&] { CheckIndexed(slicer, CPDF_IndexedColorSpace(space)); });
    });
}
