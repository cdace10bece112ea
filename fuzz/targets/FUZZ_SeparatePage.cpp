// The page separator on a page whose dictionary, content and resources are
// the input's objects (FUZZ_Objects; object 0 the page), in a job of the
// process inks and the page's first spot ink, once with external-file
// streams and unfiltered data and once embedded and compressed. Beyond
// crashes: a separation that succeeds adds one page per ink whose content
// (and that of every form, coloured tiling pattern and Type 3 font it
// reaches) re-parses to its end; one that fails adds no page; no temporary
// file outlives the job. Uncoloured tiling patterns are copied as they
// stand, never parsed, so their content is the input's, not the engine's.
#include "CPDF/content/CPDF_ContentParser.h"
#include "CPDF/document/CPDF_ResourcesDict.h"
#include "FUZZ_SepJob.h"
#include "FUZZ_TargetList.h"
#include "FUZZ_Targets.h"
#include "GLOB/GLOB_Dict.h"
#include "GLOB/GLOB_Memory_Impl.h"
#include "separation/CSEP_PDFSeparator.h"

#include <algorithm>
#include <string>
#include <vector>

namespace {

// Content streams checked per separation.
constexpr size_t MaxChecked = 256;

GLOB_Dict Entries(const GLOB_Object& dict) { return dict.IsDict() ? dict.AsDict() : GLOB_Dict(); }

class ContentCheck {
public:
    // stream's content with resources, then what it reaches.
    void Check(const GLOB_Object& stream, const GLOB_Object& resources) {
        if (!stream.IsStream() || m_seen.size() >= MaxChecked ||
            std::find(m_seen.begin(), m_seen.end(), stream) != m_seen.end())
            return;
        m_seen.push_back(stream);
        CPDF_ContentParser parser;
        try {
            parser.Start(stream.OpenStream(2), resources);
            while (parser.Step()) {
            }
        } catch (const GLIB_Exception& e) {
            throw FUZZ_Finding("Separated content does not re-parse: " + e.Description());
        }
        if (parser.IsStopped())
            throw FUZZ_Finding("Separated content does not re-parse: " + parser.ErrorMessage());
        CheckResources(resources);
    }

private:
    void CheckResources(const GLOB_Object& resources) {
        if (!resources.IsDict())
            return;
        GLOB_Object value;
        const GLOB_Dict xobjects = Entries(resources.DictGet(GLOB_Name("XObject")));
        for (uint32_t i = 0; xobjects.Entry(i, nullptr, &value); ++i)
            if (value.IsStream() && value.HasSubtype("Form"))
                Check(value, value.DictGet(GLOB_Name("Resources")));
        const GLOB_Dict patterns = Entries(resources.DictGet(GLOB_Name("Pattern")));
        for (uint32_t i = 0; patterns.Entry(i, nullptr, &value); ++i)
            if (value.IsStream() && !IsUncoloured(value))
                Check(value, value.DictGet(GLOB_Name("Resources")));
        const GLOB_Dict states = Entries(resources.DictGet(GLOB_Name("ExtGState")));
        for (uint32_t i = 0; states.Entry(i, nullptr, &value); ++i) {
            const GLOB_Object pair = value.IsDict() ? value.DictGet(GLOB_Name("Font")) : GLOB_Object();
            CheckType3Font(pair.IsArray() && pair.Length() > 0 ? pair.Get(0) : GLOB_Object());
        }
        const GLOB_Dict fonts = Entries(resources.DictGet(GLOB_Name("Font")));
        for (uint32_t i = 0; fonts.Entry(i, nullptr, &value); ++i)
            CheckType3Font(value);
    }

    static bool IsUncoloured(const GLOB_Object& pattern) {
        const GLOB_Object paintType = pattern.DictGet(GLOB_Name("PaintType"));
        return paintType.IsInteger() && paintType.AsInteger() == 2;
    }

    void CheckType3Font(const GLOB_Object& font) {
        if (!font.IsDict() || !font.HasSubtype("Type3"))
            return;
        const GLOB_Dict glyphs = Entries(font.DictGet(GLOB_Name("CharProcs")));
        GLOB_Object glyph;
        for (uint32_t k = 0; glyphs.Entry(k, nullptr, &glyph); ++k)
            Check(glyph, font.DictGet(GLOB_Name("Resources")));
    }

    std::vector<GLOB_Object> m_seen;
};

// The page's first spot ink, else "Spot".
CPDF_Colorant FirstSpot(const GLOB_Object& page) {
    std::vector<CPDF_Colorant> spots;
    try {
        CPDF_ResourcesDict(page.DictGet(GLOB_Name("Resources"))).CollectSpotColorants(&spots, false, true);
    } catch (const GLIB_Exception&) {
    }
    return spots.empty() ? CPDF_Colorant("Spot") : spots[0];
}

void Separate(const CPDF_Page& page, const CPDF_Colorant& spot, bool external, uint32_t compressionMode) {
    const char* mode = external ? "in external mode" : "in embedded mode";
    const FUZZ_TempDirScope tmp;
    {
        const CSEP_SepJobContext job = FUZZ_NewJob({spot}, external, compressionMode);
        const CPDF_Doc out = job.Doc();
        out.CreatePage(0, GLIB_Rect(0, 0, 1, 1));
        const int before = out.NumPages();
        std::vector<GLOB_Object> newPages;
        {
            CSEP_PDFSeparator separator;
            separator.SetJobContext(job);
            try {
                separator.SeparatePage(page, 1, newPages);
            } catch (const GLIB_Exception& e) {
                if (out.NumPages() != before || !newPages.empty())
                    throw FUZZ_Finding("A failed page left " + std::to_string(out.NumPages() - before) +
                                       " pages in the document and " + std::to_string(newPages.size()) +
                                       " in newPages " + mode + ": " + e.Description());
                throw;
            }
        }
        if (newPages.size() != job.NumColorants() || out.NumPages() != before + static_cast<int>(newPages.size()))
            throw FUZZ_Finding(std::string("Wrong number of separation pages ") + mode);
        ContentCheck check;
        for (const GLOB_Object& inkPage : newPages)
            check.Check(inkPage.DictGet(GLOB_Name("Contents")), inkPage.DictGet(GLOB_Name("Resources")));
    }
    tmp.ExpectNoTempFiles(mode);
}

}  // namespace

void FUZZ_SeparatePage(const uint8_t* data, size_t size) {
    GLOB_Doc doc = GLOB_Memory_Impl::Make();
    doc.Create("%PDF-1.3", 0);
    const FUZZ_Objects objects(doc, std::string(reinterpret_cast<const char*>(data), size));
    for (const GLOB_Object& object : objects.Objects())
        if (FUZZ_HasEnormousTree(object))
            return;
    GLOB_Object page = objects.Objects().empty() ? GLOB_Object() : objects.Objects()[0];
    if (!page.IsDict())
        page = doc.MakeCosObj(doc.NewDict(2, false), 0x11);
    if (!page.Known(GLOB_Name("MediaBox")))
        page.DictPut(GLOB_Name("MediaBox"), doc.ParseObject("[0 0 9 9]"));
    const CPDF_Colorant spot = FirstSpot(page);
    // Each mode runs whatever the other gave.
    for (const bool external : {true, false}) {
        try {
            Separate(CPDF_Page(page), spot, external, external ? 1 : 0);
        } catch (const GLIB_Exception&) {
        }
    }
}
