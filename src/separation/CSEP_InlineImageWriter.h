// Writes what an inline image is for one ink back into that ink's content
// as an inline image, so that a page of any number of inline images takes
// no resource name (the host numbers names in 16 bits).
//
// Written inline: an image whose parameters an inline image can say (a
// stencil mask, a device space, or an Indexed space over one with a string
// lookup; filters the inline abbreviations cover; no Mask, SMask or
// external file), as "BI … ID <data> EI": the inline image's own data as
// they stood where a reader of the content finds their end where they end
// (filters that come to their own end on their last byte, or every byte of
// an unfiltered image), otherwise, and for any other image, the samples as
// the job reads them, exactly the image's size (missing ones read as 0, up
// to CSEP_SliceConverter::MaxPaddedSamples of them); and a blank form
// (Subtype Form, BBox [0 0 1 1], no Matrix but the identity and no
// Resources), as its content clipped to its box within "q … Q". Anything
// else keeps a name of its own.
#pragma once

#include "GLOB/GLOB_Object.h"
#include "GLOB/GLOB_Stream.h"

class CSEP_InlineImageWriter {
public:
    static bool CanWrite(const GLOB_Object& piece);
    // piece, which CanWrite accepts, to output; source is the inline
    // image's own XObject.
    static void Write(const GLOB_Object& piece, const GLOB_Object& source, const GLOB_Stream& output);
};
