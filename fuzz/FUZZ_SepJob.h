// What the separation-engine targets share: a private temporary folder that
// TMPDIR points at while an input runs, so that a temporary file the engine
// leaves behind is seen; a job over a new output document; the objects of
// an input; and the slicing operations opened to the targets.
#pragma once

#include "CPDF/document/CPDF_Doc.h"
#include "FUZZ_Objects.h"
#include "separation/CSEP_SepJobContext.h"
#include "separation/CSEP_SliceConverter.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// Points TMPDIR at the process's own folder (made once, removed at exit)
// while it lives.
class FUZZ_TempDirScope {
public:
    FUZZ_TempDirScope();
    ~FUZZ_TempDirScope();
    FUZZ_TempDirScope(const FUZZ_TempDirScope&) = delete;
    FUZZ_TempDirScope& operator=(const FUZZ_TempDirScope&) = delete;

    // Throws FUZZ_Finding naming every "VDQ" file in the folder (after
    // removing them, so that the next input starts clean).
    void ExpectNoTempFiles(const char* where) const;
    // The same for every file but kept.
    void ExpectOnly(const std::string& kept, const char* where) const;
    // The folder (empty when it could not be made).
    static const std::string& Dir();

private:
    void ExpectLeftOut(const char* where, const std::function<bool(const std::string&)>& ours) const;

    bool m_had;
    std::string m_old;
};

// A job of the process inks and spots over a new, open memory document.
CSEP_SepJobContext FUZZ_NewJob(const std::vector<CPDF_Colorant>& spots, bool external, uint32_t compressionMode);

// The flags byte of the slice targets: bit 0 external streams, bit 1
// compression mode 1.
CSEP_SepJobContext FUZZ_NewJob(uint8_t flags);

// The slicing operations, open to the targets.
struct FUZZ_Slicer : CSEP_SliceConverter {
    explicit FUZZ_Slicer(const CSEP_SepJobContext& job) { SetJobContext(job); }
    void ConvertColor(const CPDF_Color&, CPDF_Color&) override {}
    const char* ClassName() const override { return "FUZZ_Slicer"; }
    using CSEP_SliceConverter::MakeConstantShading;
    using CSEP_SliceConverter::SliceFunction;
    using CSEP_SliceConverter::SliceImage;
    using CSEP_SliceConverter::SliceIndexed;
    using CSEP_SliceConverter::SliceShading;
};

// Function nodes a stitching tree may reach, counting every path. A shared
// sub-function is sliced once per reference today, so that a small input
// grows without bound; inputs past the bound are left out, so that this
// known fault does not hide the others.
constexpr size_t FUZZ_MaxFunctionPaths = 512;
// Whether a stitching tree in object, or in the direct containers inside
// it, has more paths than that.
bool FUZZ_HasEnormousTree(const GLOB_Object& object, uint32_t depth = 0);

// Every decoded byte of a stream object, up to limit (then cut off).
std::string FUZZ_StreamBytes(const GLOB_Object& stream, size_t limit);
