// Rewrites one content stream into one stream per ink of the job, in one
// pass: every ink's stream paints in DeviceGray only, gray = 1 - the ink's
// tint, so that drawing it gives that ink's plate. Operators that do not
// touch colour go to every ink unchanged; painting operators, text modes,
// images and shadings go to each ink by whether the current object paints
// in it (overprint and knockout). Resources that need per-ink versions get
// new names through the resource cache, which the resource separator then
// fills in.
//
// Paint flags, per ink (CSEP_InkStateStack): with overprint off (fill or
// stroke as the case may be) every ink paints, except under a Separation
// "None". With overprint on, by the space: DeviceGray paints the four
// process inks (its colour is 0 0 0 1-g, whatever the overprint mode);
// DeviceCMYK the process inks (with OPM 1 and a colour, only those whose
// component is not 0); Separation its ink ("All" every ink, "None" none);
// DeviceN its inks; Indexed its base; a Pattern its underlying space or,
// without one, a shading pattern's shading space under the pattern's own
// ExtGState; anything else every ink.
//
// Painting operators: an ink whose flags leave out the fill or the stroke
// gets the operator that paints what remains (B becomes S or f, n when
// nothing), so the clip still applies. Text: Tr is rewritten per ink so
// that an ink that paints neither fill nor stroke gets an invisible mode;
// the Tr operator itself is not copied. A form's streams start every ink at
// mode 0, so Do first sets 0 Tr in the inks whose mode is another.
//
// Overprint inside an isolated or knockout group (CSEP_SepJobContext::
// GroupScope): a mark composes there with the group's backdrop, so an ink
// that overprint leaves keeps that backdrop under the mark, not whatever lies
// behind the group. Such an ink gets the mark as a white mark (its colour
// there is 1, no tint) under "q /<name> gs ... Q", the name's ExtGState
// holding only /BM /Multiply: white multiplies to the backdrop, and the
// mark's shape, alpha and soft mask are those in force. Each side left is a
// white mark of its own (fill, then stroke), before what the ink paints: a
// fill and stroke under a blend mode is drawn through a knockout group that
// lets the backdrop through at the stroke's inner edge. Where the mark
// itself is drawn through that group (its stroke alpha neither 0 nor 1, or
// a blend mode other than Normal) and the ink is left both sides, one white
// mark of both sides keeps the backdrop once, as the mark covers it. A path is held back
// from its first construction operator to its painting operator so that it
// can be written again: each white side inside q .. Q, then what the ink
// paints (and its clip) as before. An image, inline image or shading is
// written again inside q .. Q (an unmasked image that the ink does not reach
// as its unit square, filled white). Text is shown once per white side,
// inside q .. Q with mode 0 or 1, then with the ink's own mode, which holds
// the clip; between two shows an invisible show at the opposite horizontal
// scaling takes the text position back. Vertical and Type 3 fonts, which
// that cannot take back, keep one show: white on every side the mode uses
// where the ink paints none, else the rule above. A white show inside a text
// object would end a clip still pending there (MuPDF applies a text clip
// where it flushes its text: where the mode changes, at an operator that
// changes what text is painted with, at Q, at ET), so from a text
// object's first white show on the inks show without clipping, and where
// the drawing would flush a clip run, the text object is shown again from
// its start, invisible, clipping with that run's shows: in the text state
// it had at BT (font and size as the content model holds them, by a name of
// the resources or a new one), then each operator that places text or sets
// its state as the content gave it, to the text position then, where the
// line width in force written again flushes it. A run the inks still hold
// at the first white show they flush first the same way (or, in the mode
// of that show, clip again with the rest of the run); so do they after an
// ExtGState whose flushing settings their own no longer hold. A show of a
// Type 3 font with a d0 glyph that takes a colour, which MuPDF paints in
// every mode, is shown again under an empty clip: it only moves the text
// position. A text object with no white show is written as it
// stands. An uncoloured pattern
// paints every ink there: MuPDF and Ghostscript both draw its cells with no
// overprint in such a group.
//
// Colour operators write, per side:
//   Indexed space   "/<new name> cs" and the index with sc
//   Pattern space   "/Pattern cs" or "/<new name> cs"; scn with the pattern
//                   name (an uncoloured pattern with the ink's gray, or the
//                   index of an Indexed underlying space)
//   any other       nothing for the space ("/DeviceGray cs" after an
//                   Indexed or Pattern space); the colour as <gray> g,
//                   each colour converted afresh, so that a space
//                   restored by Q gives no ink the tint of the one before
// At the start of a stream (the calls no operator caused) a Pattern space
// and its colour write nothing: the stream inherits each ink's pattern from
// the content that draws it. Glyph procedures, which must begin with d0 or
// d1, get nothing written at their start. An Indexed space at the start
// takes a name of the colour-space category that the stream's resources do
// not use.
//
// Coloured Type 3 glyphs: MuPDF draws a d0 glyph once, in a state of its own,
// so what its procedure paints in a colour it does not set would be black on
// every ink. A show of a Type 3 font whose glyphs MuPDF so draws take a colour
// (CSEP_GroupInheritance) names, where it shows such a glyph, a variant of
// the font by a name of the font category per colour those glyphs take
// (fill, stroke, an Indexed colour by its base's, a gray as its process
// colour; a Pattern side counts as black and is left to the drawing) and per
// mode their own text takes from the show's (filled where the show fills,
// else invisible), holding only the glyphs shown in it; its d0 procedures set
// each ink's gray of those colours right after d0 (a side not taken, MuPDF's
// own black, is not written). Every other show names the font itself, whole.
// The font in force and the copy last named are part of the ink stream
// state (CSEP_InkStreamState): a font set by an ExtGState, by the content
// drawing this one or by a text clip's replay names a copy at its next show. A glyph MuPDF
// draws in place, in the state of the show, for a path it paints in a colour
// it does not set, takes its colours there; in a variant it first fills an
// empty path, so that it stays drawn so.
//
// Inline images are separated as they are met, as image XObjects of the
// output document over their data as they stand in the content (filters
// kept, nothing re-encoded), and each ink's image is written back inline
// (CSEP_InlineImageWriter), so that they take no name; one that cannot be
// keeps a name of the image category, its inks' images recorded as they
// are (an array, in ink order) under the inline image category.
//
// Resource names: Do of forms and images, inline images not written inline,
// Indexed and named Pattern spaces get new names, one per colour state they
// are used under (IsSameColorState), and so does the ExtGState of a gs whose
// soft mask draws a group that takes colours from the state in force
// (CSEP_GroupInheritance, CSEP_SoftMaskGroup): one name per state of what it
// takes, found by a key of that state; sh, patterns, other ExtGState of gs
// and fonts of Tf keep their names and are recorded under them. ExtGState and fonts that
// the content does not name are not recorded: a Type 3 font without
// resources takes those of the page, whose ExtGState may hold that very font.
//
// Failures: a null cache fails the assertion "pResourceCache != NULL";
// shading patterns without a shading or without a colour space throw
// GLIB_Exception 1128010 ("Shading pattern missing shading object",
// "Shading pattern missing colorspace"); an sh naming no shading throws
// GLIB_Exception 1128011 "Missing shading <name>"; the colour separator's
// refusals (1128001) and everything the walk throws pass through. The
// temporary files of a failed stream are deleted and nothing is returned.
#pragma once

#include "CPDF/color/CPDF_Color.h"
#include "CPDF/color/CPDF_ColorSpace.h"
#include "CPDF/content/CPDF_GraphicsState.h"
#include "CPDF/document/CPDF_ResourcesDict.h"
#include "GLOB/GLOB_Name.h"
#include "GLOB/GLOB_Object.h"
#include "GLOB/GLOB_Stream.h"
#include "separation/CSEP_ColorSeparator.h"
#include "separation/CSEP_ContentColorMapper.h"
#include "separation/CSEP_GroupInheritance.h"
#include "separation/CSEP_InkStateStack.h"
#include "separation/CSEP_InkStreamState.h"
#include "separation/CSEP_MultiWriter.h"
#include "separation/CSEP_ResourceCache.h"
#include "separation/CSEP_ResourceSeparator.h"
#include "separation/CSEP_SepJobContext.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// Faults of patterns.
enum : uint32_t { CSEP_PatternCode = 1128010 };

class CSEP_ContentSeparator : public CSEP_ContentColorMapper {
public:
    // A job of its own (no inks) until SetJobContext.
    CSEP_ContentSeparator();
    ~CSEP_ContentSeparator() override;

    // Shares the job with both colour separators.
    void SetJobContext(const CSEP_SepJobContext& job);
    // On: the streams are glyph procedures of a Type 3 font.
    void SetGlyphProcedures(bool on) { m_glyphProcedures = on; }
    // On: the next glyph paints a path in a colour it does not set
    // (CSEP_GroupInheritance::ScanGlyph); it stays drawn in place.
    void SetGlyphDrawnInPlace(bool on) { m_glyphInPlace = on; }

    // One separated stream object per ink into out (emptied first), in ink
    // order (CSEP_InkOutputs): external-file streams kept by the job when it
    // uses them, else streams embedded in its output document; a short glyph
    // procedure embedded, one stream for every copy written alike. Every
    // resource the content uses is recorded in pResourceCache. inkState:
    // what the inks' streams of the drawing content have in force
    // (CSEP_InkStreamState::Inherited). True when done; failures throw.
    bool SeparateStream(GLOB_Stream stream, const CPDF_ResourcesDict& resources, const CPDF_GraphicsState& initialState,
                        std::vector<GLOB_Object>& out, CSEP_ResourceCache* pResourceCache,
                        const CSEP_InkStreamState& inkState = CSEP_InkStreamState());

    // Overprint, its mode, BG, UCR, rendering intent and text mode equal;
    // for forms, which keep the colour they inherit, the fill and stroke
    // spaces, colours and patterns too, and the font where it is a Type 3
    // one, whose shows name copies of their own: all of the initial state
    // that a separated stream depends on.
    static bool IsSameColorState(uint32_t category, const CPDF_GraphicsState& a, const CPDF_GraphicsState& b);

protected:
    void PaintPath(int32_t op) override;
    void DoForm(const GLOB_Name& name, const GLOB_Object& form) override;
    void DoImage(const GLOB_Name& name, const GLOB_Object& image) override;
    void DoInlineImage(CPDF_InlineImage image) override;
    void DoShading(const GLOB_Name& name, const GLOB_Object& shading) override;
    void ShowText(int32_t op) override;
    void PassThrough(int32_t op) override;
    // The parser's fill and stroke spaces and colours, as the walk then
    // gives them once more.
    void BeginStream() override;
    void SetColorSpace(const CPDF_ColorSpace& space, bool stroke) override;
    void SetColor(const CPDF_Color& color, bool stroke) override;
    void SetPatternColor(const GLOB_Name& name, const GLOB_Object& pattern, bool stroke) override;
    // The job's cancel, asked between operators.
    void Poll() override;

private:
    // Sets or clears the fill (stroke) flag of every ink by the rule above;
    // objectFlag: the space is an image's, a shading's or an Indexed base,
    // so no current colour applies.
    void UpdatePaintFlags(const CPDF_ColorSpace& space, bool stroke, const CPDF_GraphicsState& state, bool objectFlag);
    // leaves: overprint leaves the ink (CSEP_InkStateStack); by default
    // whenever it does not paint.
    void SetPaintFlag(uint32_t ink, bool stroke, bool on, bool leaves);
    void SetPaintFlag(uint32_t ink, bool stroke, bool on) { SetPaintFlag(ink, stroke, on, !on); }
    // Overprint in groups (CSEP_ContentSeparatorBackdrop.cpp). The sides of
    // the current mark ink writes as a white mark: none outside a group.
    uint32_t BackdropSides(uint32_t ink) const;
    bool AnyBackdropSides() const;
    // "q /<Multiply state> gs" to the current target; the state's name is
    // made at its first use in the stream.
    void OpenBackdropMark();
    // True when op, a path operator, was held back.
    bool HoldPathOperation(int32_t op);
    // Writes what was held back to every ink as it stood.
    void ReleasePath();
    void WriteHeldPath();
    void PaintHeldPath(int column);
    // One mark per side of the current mark: ink's own where it paints that
    // side, white where it is left it, one white mark of both where the
    // mark is drawn as a knockout group (above); paints(flags): a mark of
    // those flags paints something.
    struct SideMark {
        uint32_t m_side;  // CSEP_InkState flags
        bool m_white;
    };
    std::vector<SideMark> SideMarks(uint32_t ink, const std::function<bool(uint32_t)>& paints) const;
    // mark(ink) inside q .. Q in every ink left the fill (inside a group).
    void PaintBackdropMarks(bool uniform, const std::function<void(uint32_t)>& mark);
    // The white marks of an image: drawn by name when masked (an ink it does
    // not reach then has its mask's shape in white), else its unit square.
    void PaintBackdropImage(const GLOB_Name& name, bool drawnByName);
    void WriteWhiteUnitSquare();
    // The white shows each ink gets for the current show in mode (above);
    // empty when no ink gets one.
    std::vector<std::vector<SideMark>> BackdropTextMarks(int32_t mode);
    // Shows the text to every ink, with those white shows inside q .. Q.
    void ShowBackdropText(int32_t op, const std::vector<std::vector<SideMark>>& marks);
    // The text object's clip written at ET (above): the text state at BT,
    // the operators since, and at ET that replay.
    void BeginTextObject();
    // The current operator op when it places text or sets its state in a
    // text object inside a group; mode: the show's rendering mode, -1 for
    // no show. True when op ends what the drawing holds of the text shown
    // before (RecordTextFlush).
    bool RecordTextOperation(int32_t op, int32_t mode);
    void RecordText(const char* op, std::vector<GLOB_Object> operands, int32_t mode);
    // Where the drawing applies the clip of the shows before (an operator
    // that changes what it would paint them with): an entry without op,
    // after the clip waiting there is applied; false when it holds none.
    bool RecordTextFlush();
    // The first of the shows since the last flush, all in one mode.
    size_t PendingTextRun() const;
    // Before a show in mode (white: with white shows): the flush of a mode
    // change, and at the first white show the clip the inks still hold.
    void BeginTextShow(int32_t mode, bool white);
    // "<line width> w": the drawing applies the text it holds.
    void WriteTextFlush();
    // At ET.
    void ReplayTextClip();
    // The shows whose clip waits, shown again from BT, clipping, the others
    // invisible, to the text position now.
    void ApplyTextClip();
    // The show advances the text position and paints nothing (a glyph the
    // drawing paints in any mode).
    struct HeldOperation;
    void WriteHiddenShow(const HeldOperation& held);
    // A name the inks' resources hold for font: the one its inks were
    // given, one of the content's, else a new one.
    GLOB_Name FontName(const GLOB_Object& font);
    // The text state values at BT that differ now: Tc Tw Tz TL Ts.
    void WriteTextStateAtBT();

    // UpdatePaintFlags with the parser's current space of that side.
    void RefreshPaintFlags(bool stroke);
    // Gives each ink the mode its flags allow, writing Tr where it changes.
    void UpdateTextRenderMode(int32_t mode);
    // Coloured glyphs (above): whether a font taken by name takes colours.
    bool TakesColours(const GLOB_Object& font);
    // "/<font's name for the glyphs shown and the colours they take> size
    // Tf" where another is in force; at Tf, the font's own name.
    void SelectGlyphColours();
    // The name the font's record goes by in the cache: the one Tf gave, one
    // of a record or of the content's, else a new one (set by an ExtGState
    // or by the content that draws this one).
    GLOB_Name GlyphFontSource(const GLOB_Object& font);
    // The grays of the initial colours after d0.
    void WriteGlyphColours();
    // Shading patterns paint in their shading's space.
    void UpdatePatternPaintFlags(const GLOB_Name& patternName, bool stroke);

    // The name to write for a resource used under state.
    GLOB_Name SeparatedResourceName(uint32_t category, const GLOB_Name& name, const GLOB_Object& object,
                                    const CPDF_GraphicsState& state);
    // The name of an Indexed space: the cs operand, or at the stream's start
    // the key of the cache that holds the space's object, else a new one.
    GLOB_Name ColorSpaceName(const CPDF_ColorSpace& space);

    // Ink i receives write(i) when selected(i); when every ink is selected
    // and uniform, one write reaches them all.
    void WriteToInks(const std::function<bool(uint32_t)>& selected, bool uniform,
                     const std::function<void(uint32_t)>& write);
    // Each ink 1 - its press tint, then the operands before op, then op.
    void WriteGrays(const std::function<void()>& operands, const char* op);
    // name Do (sh) to every ink whose fill paints.
    void WriteToPaintingInks(const GLOB_Name& name, const char* op);
    // name Do for an image (or stencil mask) of space; masked: it has a
    // soft or stencil mask of its own.
    void PaintImage(const GLOB_Name& name, bool isMask, bool masked, const CPDF_ColorSpace& space);
    // The resource a gs or Tf names, under its own name.
    void RecordUse(uint32_t category, const char* key, const GLOB_Object& name);
    // The ExtGState a gs names, Null where the resources lack it.
    GLOB_Object ExtGStateSet();
    // gs with its variant's name, when value's soft mask draws a group;
    // false, nothing written, for any other.
    bool WriteSoftMaskState(const GLOB_Object& value);
    // The part of state a group taking those sides (CSEP_GroupInheritance)
    // is drawn in: as bytes for finding its variant, and as a state.
    static std::string ColorStateKey(const CPDF_GraphicsState& state, uint32_t taken);
    static CPDF_GraphicsState TakenState(const CPDF_GraphicsState& state, uint32_t taken);
    uint32_t NumInks() const { return static_cast<uint32_t>(m_inkStacks.size()); }

    std::vector<CSEP_InkStateStack> m_inkStacks;
    CSEP_ColorSeparator m_colorSeparators[2];  // fill, stroke
    CPDF_Color m_pressColor;
    CSEP_SepJobContext m_job;
    CSEP_MultiWriter m_writer;
    CPDF_ResourcesDict m_resources;
    // Separates inline images where they stand; its own resources unused.
    CSEP_ResourceSeparator m_inlineImages;
    std::vector<CPDF_ResourcesDict> m_inlineImageResources;
    CSEP_ResourceCache* m_pResourceCache = nullptr;
    bool m_glyphProcedures = false;
    bool m_glyphInPlace = false;
    CSEP_GroupInheritance m_groupInheritance;
    bool m_insideGroup = false;
    GLOB_Name m_multiplyState;
    struct HeldOperation {
        std::string m_op;
        std::vector<GLOB_Object> m_operands;  // bottom first
        int32_t m_mode = -1;                  // a show's rendering mode
        bool m_clipsAtEnd = false;            // a show whose clip waits for ET
        bool m_paintsInAnyMode = false;       // a show of glyphs taking colours
    };
    std::vector<HeldOperation> m_heldPath;
    bool m_holdingPath = false;
    bool m_heldPathClips = false;
    bool m_inTextObject = false;     // inside a group, since BT
    bool m_textClipAtEnd = false;    // since a white show of this text object
    bool m_textClipShown = false;    // and since then a show in a clip mode
    CPDF_TextState m_textStateAtBT;
    std::vector<HeldOperation> m_textObject;  // since BT
    // Saved by q; the bottom one is the drawing content's (Inherited).
    std::vector<CSEP_InkStreamState> m_inkStates{CSEP_InkStreamState()};
};
