#include "separation/CSEP_SliceConverter.h"

#include "CPDF/color/CPDF_IndexedColorSpace.h"
#include "CPDF/image/CPDF_Image.h"
#include "FILT/FILT_8BitFilter.h"
#include "FILT/FILT_DCTDecode.h"
#include "FILT/FILT_FilterPipe.h"
#include "FILT/FILT_LossTeller.h"
#include "FILT/FILT_SplitStream.h"
#include "GLIB/GLIB_Assert.h"
#include "GLIB/GLIB_Exception.h"
#include "GLIB/GLIB_New.h"
#include "GLOB/GLOB_Filter.h"
#include "GLOB/GLOB_MemoryStream.h"
#include "GLOB/GLOB_StreamCore.h"
#include "GLOB/GLOB_StringStream.h"
#include "separation/CSEP_DocProgressMeter.h"

#include <algorithm>
#include <limits>
#include <memory>
#include <string>

namespace {

const char* const EmptyFormData = "1 g\n0 0 1 1 re F\n";
const char* const EmptyFormDict =
    "<< /Type /XObject /Subtype /Form /BBox [0 0 1 1] /Matrix[ 1 0 0 1 0 0] /FormType 1 >>";

template <class Splitter>
uint64_t RunSplit(Splitter& splitter, GLOB_Stream input, const std::vector<GLOB_Stream>& outputs, bool keep) {
    const size_t n = outputs.size();
    uint64_t written = 0;
    std::vector<std::unique_ptr<FILT_FilterBuffer>> buffers;
    std::vector<FILT_FilterBuffer*> pointers;
    for (size_t k = 0; k < n; ++k) {
        buffers.emplace_back(GLIB_NEW FILT_FilterBuffer(CSEP_SliceConverter::SplitBufferSize));
        pointers.push_back(buffers.back().get());
    }
    for (bool done = false; !done;) {
        splitter.Split(*input.Read(), pointers.data());
        done = true;
        for (size_t k = 0; k < n; ++k) {
            FILT_FilterBuffer& buffer = *buffers[k];
            done = done && buffer.IsEOD();
            if (!keep)
                for (uint8_t* p = buffer.GetPtr(); p < buffer.PutPtr(); ++p)
                    *p = static_cast<uint8_t>(255 - *p);
            // The writers' owners finish the streams.
            buffer.SetEOD(false);
            written += buffer.DataAvailable();
            if (buffer.DataAvailable() > 0)
                GLOB_Stream(outputs[k]).Write(buffer);
            buffer.Reset();
        }
    }
    return written;
}

// Written bytes appended to a string: the slices of an image too small to
// be worth a temporary file each.
class BytesSink : public GLOB_StreamCore {
public:
    explicit BytesSink(std::string& bytes) : m_bytes(bytes) { Open(Output); }
    ~BytesSink() override { Close(); }

protected:
    // Open for output only: never read.
    FILT_FilterBuffer* FillBuffer() override {
        m_none.SetEOD();
        return &m_none;
    }
    void FlushBuffer(FILT_FilterBuffer& buffer) override {
        m_bytes.append(reinterpret_cast<const char*>(buffer.GetPtr()), buffer.DataAvailable());
        buffer.AdvanceGetPtr(buffer.DataAvailable());
    }
    void DoClose() override {}

private:
    std::string& m_bytes;
    FILT_FilterBuffer m_none;
};

// How a DeviceGray slice takes its Decode pair (d0, d1) from the source's.
enum class Pair { Keep, Mirror, Reverse };

// A kept pair and a reversed default [0 1] are what DeviceGray reads
// without a Decode.
void MakeGray(CPDF_ImageParams& params, unsigned index, Pair pair) {
    const CPDF_ColorSpace gray = CPDF_ColorSpace::MakeDeviceGray();
    if (pair != Pair::Mirror && !params.Lookup("Decode")) {
        params.SetColorSpace(gray);
        return;
    }
    double d0, d1;
    params.DecodeArray().Get(index, d0, d1);
    CPDF_DecodeArray decode(1u);
    if (pair == Pair::Keep)
        decode.Set(0, d0, d1);
    else if (pair == Pair::Mirror)
        decode.Set(0, 1 - d0, 1 - d1);
    else
        decode.Set(0, 1 - d1, 1 - d0);
    params.SetColorSpaceAndDecodeArray(gray, decode);
}

// What a slice of an image holds anew: its data's storage, its samples and
// their colour. The source's other entries (SMask, OC, Metadata, ...) hold
// for every slice as they are.
bool IsSampleKey(const GLOB_Name& key) {
    for (const char* sampleKey : {"Length", "Filter", "DecodeParms", "F", "FFilter", "FDecodeParms", "DL", "Width",
                                  "Height", "BitsPerComponent", "ImageMask", "ColorSpace", "Decode", "Intent",
                                  "Interpolate", "Mask"})
        if (key == sampleKey)
            return true;
    return false;
}

// The bytes of input, then zero bytes up to total when no more than
// maxPadding of them are missing: the samples a short image lacks read as 0
// before they are sliced, as renderers draw them.
class ZeroPadded : public GLOB_StreamCore {
public:
    ZeroPadded(GLOB_Stream input, uint64_t total, uint64_t maxPadding)
        : m_input(std::move(input)), m_total(total), m_maxPadding(maxPadding) {
        Open(Input);
    }
    ~ZeroPadded() override { Close(); }
    // Bytes the input gave.
    uint64_t Held() const { return m_held; }

protected:
    FILT_FilterBuffer* FillBuffer() override {
        if (!m_inputDone) {
            FILT_FilterBuffer* buffer = m_input.Read();
            m_inputDone = buffer->IsEOD();
            if (buffer->DataAvailable() > 0) {
                // The end comes after the padding.
                buffer->SetEOD(false);
                m_held += buffer->DataAvailable();
                return buffer;
            }
        }
        // More missing than may be padded: none is, the image is refused.
        const uint64_t missing = m_total > m_held ? m_total - m_held : 0;
        const uint64_t left = missing <= m_maxPadding ? missing - m_padded : 0;
        const FILT_Size chunk = static_cast<FILT_Size>(std::min<uint64_t>(left, sizeof m_zeros));
        m_buffer.SetStorage(m_zeros, chunk, false);
        m_buffer.AdvancePutPtr(chunk);
        m_buffer.SetEOD(chunk == 0);
        m_padded += chunk;
        return &m_buffer;
    }
    void FlushBuffer(FILT_FilterBuffer&) override {}
    void DoClose() override { m_input.Close(); }

private:
    GLOB_Stream m_input;
    uint64_t m_total;
    uint64_t m_maxPadding;
    uint64_t m_held = 0;
    uint64_t m_padded = 0;
    bool m_inputDone = false;
    uint8_t m_zeros[8192] = {};
    FILT_FilterBuffer m_buffer;
};

}  // namespace

uint64_t CSEP_SliceConverter::SliceBytes(const CPDF_ImageParams& params) {
    if (params.Width() < 0 || params.Height() < 0 || params.BitsPerComponent() < 0)
        return 0;
    const uint64_t bits = static_cast<uint64_t>(params.Width()) * static_cast<uint64_t>(params.BitsPerComponent());
    return (bits + 7) / 8 * static_cast<uint64_t>(params.Height());
}

GLOB_Doc CSEP_SliceConverter::Doc() const { return JobContext().Doc(); }

GLOB_Object CSEP_SliceConverter::CompressionFilterName() const {
    return JobContext().CompressionMode() == 1 ? GLOB_Object() : Doc().NewName(GLOB_Name("FlateDecode"));
}

GLOB_Object CSEP_SliceConverter::MakeDataStream(CSEP_TempFile& file, const GLOB_Object& filter) {
    CSEP_SepJobContext job = JobContext();
    if (job.UseExternalStreams() == 0)
        return file.MakeEmbeddedStream(Doc(), filter, GLOB_Object());
    const GLOB_Object stream = file.MakeExternalStream(Doc(), filter, GLOB_Object());
    job.AddTempFile(file);
    return stream;
}

CSEP_TempFile CSEP_SliceConverter::CopyToFile(GLOB_Stream input) {
    CSEP_TempFile file;
    file.Create();
    GLOB_Stream output = file.OpenStream();
    for (FILT_FilterBuffer* buffer = input.Read(); buffer->DataAvailable() > 0; buffer = input.Read()) {
        const FILT_Size n = buffer->DataAvailable();
        FILT_FilterBuffer chunk(buffer->GetPtr(), n, false);
        chunk.AdvancePutPtr(n);
        output.Write(chunk);
        buffer->AdvanceGetPtr(n);
    }
    input.Close();
    return file;
}

GLOB_Stream CSEP_SliceConverter::OpenAsBytes(const GLOB_Object& stream, FILT_Size samplesPerRow, uint32_t bits,
                                             const FILT_DCTDecode** dct, FILT_LossTeller** teller) {
    std::unique_ptr<FILT_To8BitFilter> to8;
    if (bits != 8) {
        to8.reset(GLIB_NEW FILT_To8BitFilter);
        to8->Init(samplesPerRow, bits);
    }
    GLOB_Stream input = stream.OpenStream(0);
    FILT_FilterPipe* pipe = GLIB_NEW FILT_FilterPipe;
    input.SetFilter(pipe);
    const GLOB_Object filter = stream.DictGet(GLOB_Name("Filter"));
    if (!filter.IsNull())
        if (FILT_Filter* decoders = GLOB_Filter::MakeReadingChain(filter, stream.DictGet(GLOB_Name("DecodeParms")))) {
            if (teller) {
                *teller = static_cast<FILT_LossTeller*>(decoders);
                (*teller)->LeaveToReader();
            }
            if (dct) {
                FILT_DCTDecode* found = FILT_DCTDecode::FindIn(decoders);
                if (found)
                    found->SetStopAtDataEnd(true);
                *dct = found;
            }
            pipe->Append(decoders);
        }
    if (to8)
        pipe->Append(to8.release());
    return input;
}

void CSEP_SliceConverter::KeepImageEntries(const GLOB_Object& source, const std::vector<GLOB_Object>& slices) {
    const GLOB_Dict entries = source.StreamDict().AsDict();
    std::vector<std::pair<GLOB_Name, GLOB_Object>> kept;
    GLOB_Name key;
    GLOB_Object value;
    for (uint32_t k = 0; entries.Entry(k, &key, &value); ++k)
        if (!IsSampleKey(key))
            kept.emplace_back(key, Doc().Copy(value, true));
    // Copied once: every slice shares an indirect value, the soft mask too.
    for (const GLOB_Object& slice : slices)
        for (const auto& entry : kept)
            slice.DictPut(entry.first, Doc().Copy(entry.second, false));
}

GLOB_Object CSEP_SliceConverter::MakeEmptyForm() {
    CSEP_SlicedFunctions& keep = JobContext().SlicedFunctions();
    const GLOB_Object kept = keep.BlankForm();
    if (!kept.IsNull())
        return kept;
    const GLOB_Doc doc = Doc();
    const GLOB_Object form = doc.NewStream(GLOB_Stream(GLIB_NEW GLOB_StringStream(EmptyFormData)), 1,
                                           doc.ParseObject(EmptyFormDict), GLOB_Object(), -1);
    keep.KeepBlankForm(form);
    return form;
}

void CSEP_SliceConverter::SliceSingleImage(const GLOB_Object& imageObject, std::vector<GLOB_Object>& out,
                                           const CPDF_Colorant& colorant, bool keep) {
    out.assign(JobContext().NumColorants(), MakeEmptyForm());
    const int32_t ink = InkIndex(colorant);
    if (ink < 0)
        return;
    const CPDF_Image source(imageObject);
    CPDF_ImageParams params = source.ImageParams();
    if (CutShortJpeg(imageObject, params)) {
        // As four inks are: the rows the data hold, the rest read as 0.
        std::vector<GLOB_Object> slices;
        SliceSamples(imageObject, slices, keep ? Samples::Kept : Samples::Mirrored);
        out[static_cast<size_t>(ink)] = slices.at(0);
        return;
    }
    MakeGray(params, 0, keep ? Pair::Keep : Pair::Mirror);
    if (JobContext().UseExternalStreams() == 0 || SliceBytes(params) <= SmallSliceBytes) {
        // A page of thousands of inline images would otherwise hold each
        // twice, and check each again.
        CPDF_Image copy = OwnsImage() ? source : CPDF_Image(Doc().Copy(imageObject, true));
        copy.SetImageParams(params, false);
        out[static_cast<size_t>(ink)] = copy.Object();
        return;
    }
    CSEP_TempFile file = CopyToFile(source.OpenStream(0));
    CSEP_SepJobContext job = JobContext();
    const CPDF_Image image(params, file.MakeExternalStream(Doc(), source.Filter(), source.DecodeParms()), false);
    job.AddTempFile(file);
    KeepImageEntries(imageObject, {image.Object()});
    out[static_cast<size_t>(ink)] = image.Object();
}

bool CSEP_SliceConverter::CutShortJpeg(const GLOB_Object& image, const CPDF_ImageParams& params) {
    const uint64_t width = static_cast<uint64_t>(std::max(params.Width(), 0));
    const uint64_t needed = width * params.NumComponents() * static_cast<uint64_t>(std::max(params.Height(), 0));
    if (needed == 0 || width * params.NumComponents() > std::numeric_limits<FILT_Size>::max())
        return false;
    uint64_t held = 0;
    bool cut = false;
    try {
        const FILT_DCTDecode* dct = nullptr;
        // Only counted: the image's own reading says what its data lost.
        FILT_LossTeller* teller = nullptr;
        GLOB_Stream decoded =
            OpenAsBytes(image, static_cast<FILT_Size>(width * params.NumComponents()),
                        static_cast<uint32_t>(params.BitsPerComponent()), &dct, &teller);
        // Counted, not kept: a whole image costs one decode and no space.
        for (FILT_FilterBuffer* buffer = dct ? decoded.Read() : nullptr; buffer && buffer->DataAvailable() > 0;
             buffer = held < needed ? decoded.Read() : nullptr) {
            held += buffer->DataAvailable();
            buffer->AdvanceGetPtr(buffer->DataAvailable());
        }
        // Data of other components reach the drawing as they are.
        cut = dct && dct->NumComponents() == static_cast<int32_t>(params.NumComponents()) &&
              (held < needed || dct->DataCutShort());
        const std::string words = dct ? dct->HeldWarning() : "";
        decoded.Close();
        if (!cut)
            NoteImageShortfall(0, 0, false, words);
    } catch (const GLIB_Exception& e) {
        // JPEG data the decoder refuses refuse the image, as for four inks;
        // another filter's fault is left for the drawing to meet.
        if (e.Code() == GLIB_OutOfMemoryCode || CSEP_DocProgressMeter::IsCancel(e) || e.Code() == FILT_DCTDecodeCode)
            throw;
    }
    return cut;
}

GLOB_Object CSEP_SliceConverter::CutShortSoftMask(const GLOB_Object& mask) {
    if (!mask.IsStream())
        return GLOB_Object();
    const CPDF_ImageParams params(mask.StreamDict());
    try {
        if (!CutShortJpeg(mask, params))
            return GLOB_Object();
        std::vector<GLOB_Object> slices;
        SliceSamples(mask, slices, Samples::Kept);
        return slices.empty() ? GLOB_Object() : slices[0];
    } catch (const GLIB_Exception& e) {
        if (e.Code() != FILT_DCTDecodeCode)
            throw;
        std::string words = e.What();
        const std::string decoder = "FILT_DCTDecode: ";
        if (words.compare(0, decoder.size(), decoder) == 0)
            words.erase(0, decoder.size());
        GLIB_THROW(GLIB_Exception, FILT_DCTDecodeCode, ClassName() << ": its soft mask: " << words);
    }
}

void CSEP_SliceConverter::SliceImage(const GLOB_Object& imageObject, std::vector<GLOB_Object>& out) {
    SliceSamples(imageObject, out, Samples::Inverted);
}

void CSEP_SliceConverter::SliceSamples(const GLOB_Object& imageObject, std::vector<GLOB_Object>& out,
                                       Samples samples) {
    out.clear();
    const CPDF_Image source(imageObject);
    const CPDF_ImageParams params = source.ImageParams();
    if (params.IsImageMask())
        GLIB_THROW(GLIB_Exception, CSEP_SliceCode, ClassName() << ": an image mask has no colour to separate.");
    const unsigned n = params.NumComponents();
    if (n == 0)
        return;
    const uint32_t bits = static_cast<uint32_t>(params.BitsPerComponent());
    const uint64_t width = static_cast<uint64_t>(params.Width());
    // Checked before any sample is read or padded: slicing it would cost
    // its claimed size for nothing.
    if (width > MaxImageSide || static_cast<uint64_t>(params.Height()) > MaxImageSide)
        GLIB_THROW(GLIB_Exception, CSEP_UnsupportedCode, ClassName() << ": an image of " << width << " x "
                                                                    << params.Height()
                                                                    << " pixels has a side longer than "
                                                                    << MaxImageSide << ", more than can be drawn.");
    if (width * n > std::numeric_limits<FILT_Size>::max())
        GLIB_THROW(GLIB_Exception, CSEP_SliceCode, ClassName() << ": image rows of " << width << " x " << n
                                                              << " samples are too long.");

    const bool inMemory = SliceBytes(params) <= SmallSliceBytes;
    std::vector<CSEP_TempFile> files(inMemory ? 0 : n);
    std::vector<std::string> held(inMemory ? n : 0);
    std::vector<GLOB_Stream> outputs;
    for (unsigned j = 0; j < n; ++j) {
        if (inMemory) {
            outputs.emplace_back(GLIB_NEW BytesSink(held[j]));
        } else {
            files[j].Create();
            outputs.push_back(files[j].OpenStream());
        }
        std::unique_ptr<FILT_Filter> pack;
        if (bits < 8) {
            std::unique_ptr<FILT_From8BitFilter> from8(GLIB_NEW FILT_From8BitFilter);
            from8->Init(static_cast<FILT_Size>(width), bits);
            pack = std::move(from8);
        }
        FILT_Filter* filter = pack.release();
        if (JobContext().CompressionMode() != 1)
            filter = GLOB_Filter::MakeFlateEncode(GLOB_Dict(), filter);
        outputs.back().SetFilter(filter);
    }

    // Samples become bytes, so that inverting a byte inverts a sample.
    const uint64_t needed = width * n * static_cast<uint64_t>(params.Height());
    const int32_t limit = needed <= static_cast<uint64_t>(std::numeric_limits<int32_t>::max())
                              ? static_cast<int32_t>(needed)
                              : -1;
    const FILT_DCTDecode* dct = nullptr;
    // Said with the image's shortfall, as one loss.
    FILT_LossTeller* teller = nullptr;
    GLOB_Stream decoded = OpenAsBytes(imageObject, static_cast<FILT_Size>(width * n), bits, &dct, &teller);
    // Samples missing from the data are read as 0 (no ink, once inverted,
    // for tints) up to what the dictionary claims, where that can be split.
    ZeroPadded* padded = limit >= 0 ? GLIB_NEW ZeroPadded(decoded, needed, MaxPaddedSamples) : nullptr;
    GLOB_Stream input = padded ? GLOB_Stream(padded) : decoded;
    const uint64_t sliced = SplitBytes(input, outputs, 1, samples != Samples::Inverted, limit);
    const uint64_t dataSamples = padded ? std::min(padded->Held(), needed) : sliced;
    const int32_t dctComponents = dct ? dct->NumComponents() : -1;
    const bool coarse = dct && dct->DataCutShort();
    const std::string jpegWords = dct ? dct->HeldWarning() : "";
    const std::string loss = teller && teller->Loss() ? teller->Loss() : "";
    input.Close();
    // Data that do not match the dictionary would slice into scrambled plates.
    if (dctComponents >= 0 && static_cast<unsigned>(dctComponents) != n)
        GLIB_THROW(GLIB_Exception, CSEP_UnsupportedCode, ClassName() << ": the image's DCT data have " << dctComponents
                                                                    << " components, its colour space " << n << ".");
    if (sliced < needed)
        GLIB_THROW(GLIB_Exception, CSEP_UnsupportedCode, ClassName() << ": the image's data hold " << dataSamples
                                                                    << " samples, its dictionary " << needed << ".");
    if (dataSamples < needed || coarse)
        NoteImageShortfall(dataSamples, needed, dataSamples == needed, jpegWords, loss);
    else
        NoteImageShortfall(0, 0, false, jpegWords, loss);

    const GLOB_Object filter = CompressionFilterName();
    for (unsigned j = 0; j < n; ++j) {
        CPDF_ImageParams slice = params;
        if (slice.Value("Mask").IsArray())
            slice.Remove("Mask");
        MakeGray(slice, j,
                 samples == Samples::Inverted ? Pair::Reverse
                 : samples == Samples::Kept   ? Pair::Keep
                                              : Pair::Mirror);
        GLOB_Object data;
        if (inMemory) {
            // The closing write drives the encoder to its end.
            FILT_FilterBuffer end;
            end.SetEOD();
            outputs[j].Write(end);
            outputs[j].Close();
            data = CSEP_TempFile::MakeEmbeddedStream(Doc(), GLOB_Stream(GLIB_NEW GLOB_StringStream(held[j])), filter,
                                                     GLOB_Object());
            std::string().swap(held[j]);
        } else {
            data = MakeDataStream(files[j], filter);
        }
        out.push_back(CPDF_Image(slice, data, false).Object());
    }
    KeepImageEntries(imageObject, out);
}

void CSEP_SliceConverter::SliceIndexed(const CPDF_IndexedColorSpace& space, std::vector<GLOB_Object>& out,
                                       bool keep) {
    out.clear();
    const unsigned s = space.NumSamples();
    const unsigned m = space.BaseColorSpace().NumComponents();
    if (m == 0)
        return;
    // A byte 0 that the lookup does not reach, inverted unless kept.
    std::vector<std::vector<uint8_t>> tables(m, std::vector<uint8_t>(s, keep ? 0 : 255));
    std::vector<GLOB_Stream> outputs;
    for (std::vector<uint8_t>& table : tables)
        outputs.emplace_back(GLIB_NEW GLOB_MemoryStream(table.data(), s, false));
    GLOB_Stream lookup = space.LookupStream();
    SplitBytes(lookup, outputs, 1, keep, static_cast<int32_t>(s * m));
    lookup.Close();
    for (GLOB_Stream& output : outputs)
        output.Close();
    const CPDF_ColorSpace gray = CPDF_ColorSpace::MakeDeviceGray();
    for (std::vector<uint8_t>& table : tables) {
        const GLOB_Stream data(GLIB_NEW GLOB_MemoryStream(table.data(), s, true));
        out.push_back(CPDF_IndexedColorSpace(gray, s, data, Doc()).Object());
    }
}

GLOB_Object CSEP_SliceConverter::MakeIndexedStandIn(unsigned numBytes) {
    GLIB_ASSERT(numBytes <= CPDF_IndexedColorSpace::MaxNumSamples);
    const GLOB_Stream table(GLIB_NEW GLOB_StringStream(std::string(numBytes, '\xFF')));
    return CPDF_IndexedColorSpace(CPDF_ColorSpace::MakeDeviceGray(), numBytes, table, Doc()).Object();
}

uint64_t CSEP_SliceConverter::SplitBits(GLOB_Stream input, const std::vector<GLOB_Stream>& outputs,
                                        uint32_t bitsPerSample, bool keep, int32_t maxSamples) {
    FILT_SplitBitStream splitter;
    splitter.Init(static_cast<FILT_Size>(outputs.size()), bitsPerSample, maxSamples);
    return RunSplit(splitter, input, outputs, keep);
}

uint64_t CSEP_SliceConverter::SplitBytes(GLOB_Stream input, const std::vector<GLOB_Stream>& outputs,
                                         uint32_t bytesPerSample, bool keep, int32_t maxSamples) {
    FILT_SplitByteStream splitter;
    splitter.Init(static_cast<FILT_Size>(outputs.size()), bytesPerSample, maxSamples);
    return RunSplit(splitter, input, outputs, keep);
}

void CSEP_SliceConverter::Distribute(const std::vector<GLOB_Object>& slices, const std::vector<int32_t>& components,
                                     const std::function<GLOB_Object()>& makeBlank, std::vector<GLOB_Object>& out,
                                     bool copies) const {
    out.clear();
    std::vector<bool> taken(slices.size(), false);
    GLOB_Object blank;
    bool haveBlank = false;
    for (uint32_t i = 0; i < JobContext().NumColorants(); ++i) {
        const int32_t c = i < components.size() ? components[i] : -1;
        if (c < 0) {
            if (!haveBlank) {
                blank = makeBlank();
                haveBlank = true;
            }
            out.push_back(blank);
            continue;
        }
        const size_t k = static_cast<size_t>(c);
        GLIB_ASSERT(k < slices.size());
        out.push_back(copies && taken[k] ? Doc().Copy(slices[k], true) : slices[k]);
        taken[k] = true;
    }
}
