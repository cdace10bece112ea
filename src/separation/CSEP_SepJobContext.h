// The state of one separation job, shared by everything that takes part in
// it: the press space (the ordered ink list: "Cyan", "Magenta", "Yellow",
// "Black", then the spot inks; an ink's index here is its press-space index
// everywhere in the engine), the output document that receives the
// separation pages, the temporary files behind separated streams, the
// options, and the progress meter.
//
// A value handle over one counted core: copies share it. The core goes with
// the last handle, releasing the meter (which stops), the temporary files
// (each file whose last handle this was is deleted from disk), the document
// and the ink list, in that order.
#pragma once

#include "COMN_ReferenceCountPointer.h"
#include "CPDF/color/CPDF_Colorant.h"
#include "CPDF/document/CPDF_Doc.h"
#include "GLIB/GLIB_CancelMgr.h"
#include "GLOB/GLOB_Name.h"
#include "GLOB/GLOB_Object.h"
#include "separation/CSEP_DocProgressMeter.h"
#include "separation/CSEP_NestedSeparations.h"
#include "separation/CSEP_ObjectSet.h"
#include "separation/CSEP_SlicedFunctions.h"
#include "separation/CSEP_SoftMaskGroup.h"
#include "separation/CSEP_TempFile.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class GLIB_CallbackBase;
class iCSEP_SepJobContextCore;

class CSEP_SepJobContext {
public:
    // Forms, tiling patterns and Type 3 fonts separated inside one another
    // (each separation of one reaches the next through its resources).
    static constexpr uint32_t MaxNesting = 64;
    // Their faults are content the engine cannot read.
    static constexpr uint32_t NestingCode = 1128002;

    // Marks a form, tiling pattern or Type 3 font as under separation for
    // its life, in the job, so that every separator sharing the job sees
    // it. Throws GLIB_Exception NestingCode "<kind> <name> is separated
    // inside itself" when the object is under separation already, and
    // "<kind> <name> is nested deeper than 64 levels" past MaxNesting.
    class NestingGuard {
    public:
        NestingGuard(const CSEP_SepJobContext& job, const GLOB_Object& object, const char* kind,
                     const GLOB_Name& name);
        ~NestingGuard();
        NestingGuard(const NestingGuard&) = delete;
        NestingGuard& operator=(const NestingGuard&) = delete;

        // The most levels open inside this one at any time so far (0: none),
        // counting those a reused separation would have opened.
        uint32_t Height() const;

    private:
        COMN_ReferenceCountPointer<iCSEP_SepJobContextCore> m_core;
        uint32_t m_level = 0;  // guards open with this one
        uint32_t m_outerDeepest = 0;
    };

    // Marks what is separated during its life as drawn inside an isolated or
    // knockout transparency group (at any depth), when the group it opens is
    // one: there an overprinting mark composes with the group's backdrop in
    // the inks it leaves, so it is written to them too
    // (CSEP_ContentSeparator).
    class GroupScope {
    public:
        GroupScope(const CSEP_SepJobContext& job, bool isolatedOrKnockout);
        ~GroupScope();
        GroupScope(const GroupScope&) = delete;
        GroupScope& operator=(const GroupScope&) = delete;

    private:
        COMN_ReferenceCountPointer<iCSEP_SepJobContextCore> m_core;
        bool m_opened;
    };
    bool InsideIsolatedOrKnockoutGroup() const;

    // Whether a kept separation of object that opened height levels inside
    // itself may stand in for a new one here: true when a guard for object
    // would pass (the object not under separation, the levels within
    // MaxNesting), and then those levels count as reached for the guards
    // open around. False: separate it again, and the guard says why not.
    bool MayReuseSeparation(const GLOB_Object& object, uint32_t height) const;

    // A core of its own: no inks, no document, no files, embedded streams,
    // compression mode 0, an idle meter.
    CSEP_SepJobContext();
    // Share the other handle's core.
    CSEP_SepJobContext(const CSEP_SepJobContext& other);
    CSEP_SepJobContext& operator=(const CSEP_SepJobContext& other);
    ~CSEP_SepJobContext();

    // Sets the output document and rebuilds the ink list: the four process
    // inks, then each given ink in order that is neither "All" nor "None"
    // nor already listed. Then releases the job's temporary files, so that
    // those no other handle holds are deleted.
    void SetDocAndColorants(const CPDF_Doc& document, const std::vector<CPDF_Colorant>& inks);
    uint32_t NumColorants() const;
    // index below NumColorants (asserted).
    CPDF_Colorant Colorant(uint32_t index) const;
    CPDF_Doc Doc() const;

    // Non-zero: separated streams become external-file streams over their
    // temporary files; 0: they are embedded.
    void SetUseExternalStreams(uint32_t flag);
    uint32_t UseExternalStreams() const;
    // 1: separated sample data are written without a filter; other values
    // compress them with FlateDecode.
    void SetCompressionMode(uint32_t mode);
    uint32_t CompressionMode() const;

    // Forwarded to the meter.
    void SetCancelMgr(const GLIB_CancelMgr& cancelMgr);
    // callback (owned by the meter) becomes the one receiver of
    // CSEP_ProgressMessage, posted at each growth by step.
    void SetProgressObserver(GLIB_CallbackBase* callback, double step);
    CSEP_DocProgressMeter& ProgressMeter() const;
    // Functions sliced once for every place that names them.
    CSEP_SlicedFunctions& SlicedFunctions() const;
    // Forms, tiling patterns and Type 3 fonts separated once for every
    // place that reaches them.
    CSEP_NestedSeparations& NestedSeparations() const;
    // Soft masks' groups drawn once for every place that sets them.
    CSEP_SoftMaskGroup& SoftMaskGroups() const;

    // The graphics states holding a soft mask that a gs of the page's
    // content, or of what it draws, set: the page's transparency note names
    // no mask that is never in force. Forgotten at the next page.
    void NoteMaskSet(const GLOB_Object& extGState);
    const CSEP_ObjectSet& MasksSet() const;
    void ForgetMasksSet();

    // The stream of the output document an earlier call made from these
    // bytes, else the one make gives, kept for the next: glyph procedures
    // written alike share one object. Kept while their bytes total at most
    // SharedStreamBytes, and forgotten with the document.
    static constexpr size_t SharedStreamBytes = 16u << 20;
    GLOB_Object SharedStream(const std::string& bytes, const std::function<GLOB_Object()>& make);

    // The job keeps the file (and so an external stream's file on disk)
    // while it lives, or until DeleteTempFiles.
    void AddTempFile(const CSEP_TempFile& file);
    // Closes and deletes every file of the job from disk at once, even those
    // other handles still hold, then forgets them. A file that fails to go
    // does not stop the others; the first failure then passes on.
    void DeleteTempFiles();

private:
    COMN_ReferenceCountPointer<iCSEP_SepJobContextCore> m_core;
};
