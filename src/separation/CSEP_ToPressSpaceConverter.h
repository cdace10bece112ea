// The root of the converters to press space: one converter turns what is
// expressed in one kind of source colour space into the job's press space
// (the ink list of CSEP_SepJobContext, one tint 0 to 1 per ink in ink
// order). A colour becomes tints; an image, an indexed colour space or a
// shading becomes one object per ink of the job's output document.
//
// CSEP_ColorSeparator owns one converter of each kind, calls
// ConvertColorSpace whenever it selects one for a new colour space, and
// forwards every conversion to the one selected.
//
// The root's object conversions refuse: GLIB_Exception 1128001 with
// ClassName() followed by " can't separate images yet.", " can't separate
// indexed spaces yet." or " can't separate shading dictionaries yet.".
#pragma once

#include "CPDF/color/CPDF_Color.h"
#include "CPDF/color/CPDF_ColorSpace.h"
#include "GLOB/GLOB_Object.h"
#include "separation/CSEP_SepJobContext.h"

#include <cstdint>
#include <string>
#include <vector>

class CPDF_IndexedColorSpace;

// Unsupported colour spaces and conversions a converter cannot do.
enum : uint32_t { CSEP_UnsupportedCode = 1128001 };

class CSEP_ToPressSpaceConverter {
public:
    virtual ~CSEP_ToPressSpaceConverter();

    // Writes the tints that color (in the current source space) gives into
    // pressColor, which has one component per ink of the job (a smaller one
    // fails an assertion). Inks the source space does not reach are left as
    // they are. A color of fewer components than the space throws 1128001.
    virtual void ConvertColor(const CPDF_Color& color, CPDF_Color& pressColor) = 0;
    // Appends to out one object per ink of the job, in ink order.
    virtual void ConvertImage(const GLOB_Object& image, std::vector<GLOB_Object>& out);
    virtual void ConvertIndexed(const CPDF_IndexedColorSpace& space, std::vector<GLOB_Object>& out);
    virtual void ConvertShading(const GLOB_Object& shading, std::vector<GLOB_Object>& out);
    // The class's own name, "CSEP_DeviceCMYKConverter" and so on.
    virtual const char* ClassName() const = 0;
    // Prepares for a newly selected source space. Nothing here. A converter
    // that refuses the space throws and keeps what it held before.
    virtual void ConvertColorSpace(const CPDF_ColorSpace& colorSpace);

    // What the data of an image converted since the last call lacked: the
    // samples they held and the samples the dictionary claims (both 0 when
    // no image was short), and libjpeg's word on them. The call forgets it.
    // The missing samples are read as 0.
    struct ImageShortfall {
        uint64_t held = 0;
        uint64_t needed = 0;
        // JPEG data that hold every row but end in a later scan, so that
        // some rows are at less than full detail (held is needed).
        bool coarse = false;
        // libjpeg's first warning about the data, short or not, to follow
        // the program's words; empty when it gave none.
        std::string jpegWords;
        // What the decoders said their data lost (FILT_Filter::Loss); empty
        // for none.
        std::string loss;
    };
    ImageShortfall TakeImageShortfall();

    // True while the images converted are made in the output document for
    // that one use (an inline image's XObject): an ink's image that would be
    // a copy of one is then the image itself, its parameters set in place.
    void SetOwnsImage(bool owns) { m_ownsImage = owns; }
    bool OwnsImage() const { return m_ownsImage; }

    void SetJobContext(const CSEP_SepJobContext& job) { m_job = job; }
    // A handle sharing the job.
    CSEP_SepJobContext JobContext() const { return m_job; }

protected:
    CSEP_ToPressSpaceConverter() = default;

    // Throws 1128001 when color has fewer than n components; asserts that
    // pressColor has at least minInks.
    void CheckColors(const CPDF_Color& color, unsigned n, const CPDF_Color& pressColor, unsigned minInks) const;
    // The press-space index of the ink named colorant, or -1.
    int32_t InkIndex(const CPDF_Colorant& colorant) const;
    // An image whose data held fewer samples than its dictionary claims.
    void NoteImageShortfall(uint64_t held, uint64_t needed, bool coarse = false, const std::string& jpegWords = "",
                            const std::string& loss = "") {
        m_shortfall = ImageShortfall{held, needed, coarse, jpegWords, loss};
    }

private:
    CSEP_SepJobContext m_job;
    ImageShortfall m_shortfall;
    bool m_ownsImage = false;
};
