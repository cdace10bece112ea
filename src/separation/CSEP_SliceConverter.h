// The base of the converters whose source spaces have several components
// (or one that is not Black): it cuts constructs that carry colour data of
// their own into one single-component construct per colour component,
// painted in DeviceGray with gray = 1 - tint, so 0 is full ink and 1 none.
// The converters then hand each ink its component's construct, or a blank
// one that leaves the ink's plate white where the construct would paint.
//
// Conventions of every slice operation:
//   - new objects are made in the job's output document;
//   - results have one element per colour component (component order),
//     except SliceSingleImage and Distribute, one per ink (press order);
//   - keep false: the data are tints, inverted (255 - byte) or mirrored
//     through Decode; keep true: the data are gray levels already
//     (DeviceGray sources) and stay as they are;
//   - new sample data are written through the job's temporary files (kept
//     in memory instead, and embedded, for the slices of a small image),
//     unfiltered with compression mode 1, otherwise Flate-encoded by the
//     writer (the stream object then only names /FlateDecode); they become
//     external-file streams that the job keeps when it uses external
//     streams, else embedded streams; mesh data alone are always embedded
//     and unfiltered;
//   - errors of the filters, the files and the object model pass through;
//     objects already made stay in the output document.
//
// Image data stream through fixed buffers per component; no image is held
// whole in memory but for slices of at most SmallSliceBytes, no mesh more
// than one piece at a time. Function slicing
// (CSEP_SliceConverterFunction.cpp) throws GLIB_Exception 1128007 for every
// fault of its own, shading slicing (CSEP_SliceConverterShading.cpp) 1128011.
#pragma once

#include "CPDF/color/CPDF_Colorant.h"
#include "CPDF/function/CPDF_Function.h"
#include "CPDF/image/CPDF_ImageParams.h"
#include "FILT/FILT_FilterBuffer.h"
#include "GLOB/GLOB_Doc.h"
#include "GLOB/GLOB_Object.h"
#include "GLOB/GLOB_Stream.h"
#include "separation/CSEP_TempFile.h"
#include "separation/CSEP_ToPressSpaceConverter.h"

#include <cstdint>
#include <functional>
#include <vector>

class CPDF_IndexedColorSpace;
class FILT_DCTDecode;
class FILT_LossTeller;

// Faults of function and image slicing, and of shading slicing.
enum : uint32_t { CSEP_SliceCode = 1128007, CSEP_ShadingCode = 1128011 };

class CSEP_SliceConverter : public CSEP_ToPressSpaceConverter {
public:
    // Bytes each splitter output buffer holds.
    static constexpr uint32_t SplitBufferSize = 8000;
    // Slices of at most this many bytes each (before compression) are made
    // in memory and embedded, with external streams too: a file (and a
    // name) for each of thousands of tiny inline images costs far more than
    // their bytes, and the job would keep every one to the end.
    static constexpr uint64_t SmallSliceBytes = 65536;
    // The bytes one component of the image takes, rows padded to a byte;
    // 0 for a size below zero.
    static uint64_t SliceBytes(const CPDF_ImageParams& params);
    // At most this many samples missing from an image's data are read as 0:
    // beyond it a few bytes claiming a huge image would cost time and files
    // out of all proportion to the file.
    static constexpr uint64_t MaxPaddedSamples = uint64_t{1} << 26;
    // The longest side of an image the page drawing takes.
    static constexpr uint64_t MaxImageSide = 65536;

    // The soft mask mask (an image's /SMask) to go with the image's slices
    // in its own place: null when it may go as it is; for JPEG data cut
    // short (CutShortJpeg) a DeviceGray image of the rows they hold, the
    // rest read as 0 (no coverage), its other entries kept, noted as an
    // image's shortfall. Data cut before their first scan, or that the
    // decoder refuses, throw 1130007 "<class>: its soft mask: " and the
    // decoder's words.
    GLOB_Object CutShortSoftMask(const GLOB_Object& mask);

protected:
    CSEP_SliceConverter() = default;

    // A form XObject filling the unit square with gray 1 ("1 g", "0 0 1 1 re
    // F"): drawn where an image would be, it removes the inks the image does
    // not carry. Made once while the job's CSEP_SlicedFunctions scope is
    // open (a page), and shared: nothing may change it.
    GLOB_Object MakeEmptyForm();
    // An image of one component (validated as CPDF_Image: 1128008) for the
    // ink named colorant, out sized to the ink count: that ink gets the image
    // as DeviceGray (with keep false its Decode pair mirrored to [1-d0 1-d1],
    // the samples untouched), every other ink one shared empty form. Without
    // external streams, or for a small image (SliceBytes at most
    // SmallSliceBytes), the image object is copied into the output document
    // (under OwnsImage, taken as it is); else its stored bytes are copied
    // into a temporary file, an external stream with the image's Filter and
    // DecodeParms as FFilter and FDecodeParms, holding the source's other
    // entries as SliceImage's slices do. No ink of that name: every ink gets
    // the empty form. JPEG data cut short (CutShortJpeg) are sliced as
    // SliceImage slices them, the samples kept and their Decode pair kept or
    // mirrored: the rows the data hold, the rest read as 0, noted; JPEG data
    // the decoder refuses refuse the image, as they do in SliceImage.
    void SliceSingleImage(const GLOB_Object& image, std::vector<GLOB_Object>& out, const CPDF_Colorant& colorant,
                          bool keep);
    // One DeviceGray image per component, samples inverted at the image's
    // depth (s becomes 2^b - 1 - s; rows of b < 8 padded per image row),
    // Decode pair j (d0, d1) becoming [1-d1 1-d0]. Width, Height, depth,
    // Intent, Interpolate and a stencil-mask Mask stay; a colour-key Mask,
    // which a DeviceGray image cannot hold, is left out for the resource
    // separator to replace. Every other entry but the data's storage
    // ("SMask", "OC", "Metadata", ...) is copied once into the output
    // document and shared by the slices. A stencil mask itself has no
    // colour: 1128007. Data of fewer samples than Width x Height x
    // components are read on as samples 0 and noted (NoteImageShortfall);
    // when more than MaxPaddedSamples are missing, or the image has more than
    // 2^31 - 1, they are refused as GLIB_Exception 1128001
    // (CSEP_UnsupportedCode) "<class>: the image's data hold <got> samples,
    // its dictionary <needed>.". A side over MaxImageSide is refused first,
    // before any data are read: 1128001 "<class>: an image of <w> x <h>
    // pixels has a side longer than 65536, more than can be drawn.". DCT
    // data of another component count than the colour space throw 1128001
    // "<class>: the image's DCT data have <m> components, its colour space
    // <n>.". DCT data are read as far as they decode (FILT_DCTDecode's stop
    // at the data's end): the rows past it are missing samples; data that
    // hold every row but end in a later scan are noted as coarse, and
    // libjpeg's first warning goes with the note (alone when nothing is
    // short).
    void SliceImage(const GLOB_Object& image, std::vector<GLOB_Object>& out);
    // One [/Indexed /DeviceGray hival table_j] per base component, table j
    // holding component j's byte of each entry (inverted unless keep).
    // Entries a short lookup does not reach read as byte 0, as the colour
    // table does; bytes past the last entry are not read.
    void SliceIndexed(const CPDF_IndexedColorSpace& space, std::vector<GLOB_Object>& out, bool keep);
    // [/Indexed /DeviceGray numSamples-1 <FF…>]: every index paints white.
    // Asserts numSamples of 1 to CPDF_IndexedColorSpace::MaxNumSamples.
    GLOB_Object MakeIndexedStandIn(unsigned numSamples);

    // De-interleave input into the outputs (sample i of each tuple to output
    // i) through SplitBufferSize-byte buffers, each output byte inverted
    // unless keep, until the input ends or maxSamples samples (over all
    // outputs; negative: no limit) are done; the outputs are written, not
    // finished. SplitBits takes samples of 1, 2 or 4 bits, SplitBytes of 1
    // to 4 bytes (others: the splitters' FILT_SampleCode). Both return the
    // bytes the outputs received.
    static uint64_t SplitBits(GLOB_Stream input, const std::vector<GLOB_Stream>& outputs, uint32_t bitsPerSample,
                              bool keep, int32_t maxSamples = -1);
    static uint64_t SplitBytes(GLOB_Stream input, const std::vector<GLOB_Stream>& outputs, uint32_t bytesPerSample,
                               bool keep, int32_t maxSamples = -1);

    // Fills out with one one-output function per output j of function (a
    // function object, or an array of function objects whose first outputs
    // are taken), yielding 1 - output j of the source, clipped to the
    // source's Range mirrored to [1-max_j 1-min_j]. FunctionType and Domain
    // are copied. A source the function reader refuses throws "Error
    // parsing function." for FunctionType 4, else "Function has invalid
    // parameters.", followed by the reader's text (its nesting exception
    // passes as it is); an array inside an array, or a function of no
    // outputs in one, throws "Function has invalid parameters.".
    // An indirect function is sliced once while the job's sliced functions
    // are open (this call opens them): every place naming it, at any depth
    // of a stitching tree, takes the same slices, which are then indirect.
    void SliceFunction(const GLOB_Object& function, std::vector<GLOB_Object>& out);
    // FunctionType 0: the samples split per output, the Decode pair (else
    // the Range pair) mirrored. 12-bit samples are written as their top 8
    // bits ("BitsPerSample" 8). Each output's table is zeroed and read no
    // further than its size, so short data give zero samples.
    void SliceSampledFunction(const CPDF_Function& function, std::vector<GLOB_Object>& out);
    // FunctionType 4: the program's tokens, then per output j
    // "n-1-j index n 1 add 1 roll", n times "pop", "1 exch sub }". Any token
    // but a number, a boolean, "{" or "}" (a comment too) throws "Error
    // parsing function.".
    void SlicePostScriptFunction(const CPDF_Function& function, std::vector<GLOB_Object>& out);
    // A FunctionType 0 stream of Domain domain (an Array, else "Function
    // domain should be type Array, encountered <kind>") that yields value
    // everywhere: Size 1 per input, one sample 255, Range [value value].
    GLOB_Object MakeConstantFunction(const GLOB_Object& domain, double value);

    // The keys every slice of a shading takes from source: "ShadingType",
    // "ColorSpace" /DeviceGray, "BBox" and "AntiAlias", then "Domain" and
    // "Matrix" (type 1), "Coords", "Domain" and "Extend" (2, 3), the widths
    // and "Decode" (4 to 7; "VerticesPerRow" in place of "BitsPerFlag" for
    // 5), each when present. Throws GLIB_Exception 1128011 "Shading
    // dictionary not a dictionary." for a source that is no Dict or Stream,
    // "Shading dictionary missing type" without an Integer "ShadingType",
    // "Unknown shading type." for one outside 1 to 7.
    void CopyShadingKeys(const GLOB_Object& source, const GLOB_Object& target);
    // One DeviceGray shading per component of the shading's space (checked
    // as CopyShadingKeys does, then read by CPDF_Shading: its 1128011). With
    // a "Function": the function sliced, each slice a new indirect
    // dictionary (types 1 to 3) or a new stream of the source's decoded mesh
    // data (4 to 7); a function of fewer outputs than components throws
    // 1128011. Without (a mesh): each piece rewritten with component j of its
    // colours and the Decode pair (c0, c1) of component j given as
    // [1-c0 1-c1], so every value c reads as 1 - c. A Background gives each
    // slice [1 - component j].
    void SliceShading(const GLOB_Object& shading, std::vector<GLOB_Object>& out);
    // A shading that paints gray 1 wherever the source paints, for the inks
    // outside its space: its "Function" a constant function over the
    // "Domain" (by default [0 1], [0 1 0 1] for type 1) or over the mesh
    // Decode's t pair, the mesh data copied; a mesh without one rewritten
    // with every colour 1 and the colour pair [1 1]. A Background becomes
    // [ 1 ].
    GLOB_Object MakeConstantShading(const GLOB_Object& shading);

    // out := one element per ink: slices[components[i]], or for an ink whose
    // entry is -1 (or missing) one blank shared by all such inks, made by
    // makeBlank when the first needs it. With copies, an ink after the first
    // to take a slice gets a forced copy of it.
    void Distribute(const std::vector<GLOB_Object>& slices, const std::vector<int32_t>& components,
                    const std::function<GLOB_Object()>& makeBlank, std::vector<GLOB_Object>& out,
                    bool copies = false) const;

    // The job's output document.
    GLOB_Doc Doc() const;

private:
    // The stored data of stream decoded through its own Filter and
    // DecodeParms and then spread to one byte per sample (bits 1, 2, 4 or
    // 12; rows of samplesPerRow padded on input; 8 as decoded). With dct,
    // *dct is the chain's DCT decoder, owned by the stream, when it has one;
    // it then stops where its data end, so that no row is made of nothing.
    // The decoders tell what their data lost as they finish
    // (GLOB_Filter::MakeReadingChain); with teller, *teller is their chain,
    // owned by the stream, whose loss the caller says in its own words.
    static GLOB_Stream OpenAsBytes(const GLOB_Object& stream, FILT_Size samplesPerRow, uint32_t bits,
                                   const FILT_DCTDecode** dct = nullptr, FILT_LossTeller** teller = nullptr);
    // True when image is in DCTDecode, of the colour space's components,
    // and its data end before its rows or its detail do
    // (FILT_DCTDecode::DataCutShort). Data the decoder refuses throw its
    // 1130007, those cut before their first scan in the program's words; a
    // fault of another filter is left for the drawing to meet. libjpeg's
    // warning about whole data is noted (NoteImageShortfall, nothing short).
    bool CutShortJpeg(const GLOB_Object& image, const CPDF_ImageParams& params);
    // How SliceSamples turns source samples into slices: inverted (Decode
    // pair [1-d1 1-d0]), or kept (Decode pair kept, or mirrored to
    // [1-d0 1-d1]) for one ink that takes the image as it is.
    enum class Samples { Inverted, Kept, Mirrored };
    // SliceImage's work, the samples turned as asked.
    void SliceSamples(const GLOB_Object& image, std::vector<GLOB_Object>& out, Samples samples);
    // Puts into each slice a copy of every entry of the source image that
    // the slice does not make anew, indirect values once for all.
    void KeepImageEntries(const GLOB_Object& source, const std::vector<GLOB_Object>& slices);
    // The file's bytes as a stream object of the output document, embedded
    // or external (then kept by the job), naming the compression filter.
    GLOB_Object MakeDataStream(CSEP_TempFile& file, const GLOB_Object& filter);
    // /FlateDecode in the output document, Null for compression mode 1.
    GLOB_Object CompressionFilterName() const;
    // A new temporary file holding every byte of input, which is closed.
    static CSEP_TempFile CopyToFile(GLOB_Stream input);
    // A new stream of the output document holding the decoded data of a
    // mesh shading.
    GLOB_Object CopyMeshData(const GLOB_Object& mesh);

    // The slices of one function object, read unless the job's sliced
    // functions hold them already; SliceRead keeps those of an indirect
    // one there.
    void SliceSource(const GLOB_Object& object, std::vector<GLOB_Object>& out);
    void SliceRead(const CPDF_Function& function, std::vector<GLOB_Object>& out);
    // indirect: the new dictionaries are made indirect.
    void SliceExponential(const CPDF_Function& function, unsigned n, bool indirect, std::vector<GLOB_Object>& out);
    void SliceStitching(const CPDF_Function& function, unsigned n, bool indirect, std::vector<GLOB_Object>& out);
};
