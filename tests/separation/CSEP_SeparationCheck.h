// Source pages written as text, their separation, and the check every
// separated page of the tests passes: each ink's content re-parses to its
// end, sets colour only with g/G, sc in an Indexed space or scn in a
// Pattern space, paints only gray images and shadings, and names only
// resources of that ink's dictionaries; forms, tiling patterns and
// separated Type 3 fonts (of an ExtGState or chosen with Tf) are checked the
// same way.
#pragma once

#include "CPDF/content/CPDF_ContentParser.h"
#include "CSEP_TestUtil.h"
#include "separation/CSEP_PDFSeparator.h"

#include <algorithm>

// A stream of the source page's document under a path of its resources.
struct StreamAt {
    std::string path;  // "/XObject/Fm0"
    std::string dict;
    std::string data;
};

// A page with MediaBox [0 0 9 9], the resources and content given.
inline CPDF_Page SourcePage(const GLOB_Doc& doc, const std::string& resources, const std::string& content,
                            const std::vector<StreamAt>& streams = {}) {
    const GLOB_Object page = doc.ParseObject("<< /Type /Page /MediaBox [0 0 9 9] >>");
    page.PutPath("Resources", doc.ParseObject(resources));
    page.PutPath("Contents", NewStreamObject(doc, content));
    for (const StreamAt& s : streams)
        page.PutPath(("/Resources" + s.path).c_str(), NewStreamObject(doc, s.dict, s.data));
    return CPDF_Page(page);
}

inline bool IsGraySpace(const GLOB_Object& object) {
    const CPDF_ColorSpace space(object);
    return space.IsDeviceGray() || (space.Type() == CPDF_ColorSpace::Indexed && space.BaseColorSpace().IsDeviceGray());
}

// The check above, over a content stream and its resources; every stream
// once.
inline void CheckInk(const GLOB_Object& stream, const GLOB_Object& resources, std::vector<GLOB_Object>& seen,
                     bool glyph = false) {
    if (std::find(seen.begin(), seen.end(), stream) != seen.end())
        return;
    seen.push_back(stream);
    CPDF_ContentParser parser;
    parser.Start(stream.OpenStream(2), resources);
    for (bool first = true; parser.Step(); first = false) {
        const std::string op = parser.OperatorText();
        SCOPED_TRACE(op);
        if (glyph && first) {
            EXPECT_TRUE(op == "d0" || op == "d1");
        }
        const GLOB_OperandStack& operands = parser.Operands();
        const GLOB_Name name = operands.Size() > 0 && operands.Top().IsName() ? operands.Top().AsName() : GLOB_Name();
        const auto resource = [&](const char* category) {
            const GLOB_Object found = parser.Resource(category, name);
            EXPECT_FALSE(found.IsNull()) << category << " " << (name.IsEmpty() ? "" : name.CStr());
            return found;
        };
        const CPDF_GraphicsState state = parser.GraphicsState();
        const CPDF_ColorSpace::SpaceType fill = state.FillColorSpace().Type();
        const CPDF_ColorSpace::SpaceType stroke = state.StrokeColorSpace().Type();
        if (op == "rg" || op == "RG" || op == "k" || op == "K") {
            ADD_FAILURE() << "not a gray";
        } else if (op == "sc" || op == "SC") {
            EXPECT_EQ(op == "sc" ? fill : stroke, CPDF_ColorSpace::Indexed);
        } else if (op == "cs" || op == "CS") {
            if (!(name == "DeviceGray") && !(name == "Pattern")) {
                EXPECT_TRUE(IsGraySpace(resource("ColorSpace")) ||
                            (op == "cs" ? fill : stroke) == CPDF_ColorSpace::Pattern);
            }
        } else if (op == "scn" || op == "SCN") {
            EXPECT_EQ(op == "scn" ? fill : stroke, CPDF_ColorSpace::Pattern);
            const GLOB_Object pattern = resource("Pattern");
            if (pattern.IsStream() && pattern.IntegerValue("PaintType", 0) == 1) {
                CheckInk(pattern, pattern.DictGet(GLOB_Name("Resources")), seen);
            } else if (pattern.IsDict()) {
                EXPECT_TRUE(IsGraySpace(pattern.GetPath("/Shading/ColorSpace")));
            }
        } else if (op == "Do") {
            const GLOB_Object xobject = resource("XObject");
            if (xobject.HasSubtype("Form")) {
                CheckInk(xobject, xobject.DictGet(GLOB_Name("Resources")), seen);
            } else if (!xobject.DictGet(GLOB_Name("ImageMask")).IsBoolean()) {
                EXPECT_TRUE(IsGraySpace(xobject.DictGet(GLOB_Name("ColorSpace"))));
            }
        } else if (op == "sh") {
            EXPECT_TRUE(IsGraySpace(resource("Shading").DictGet(GLOB_Name("ColorSpace"))));
        } else if (op == "gs" || op == "Tf") {
            GLOB_Object font;
            if (op == "gs") {
                const GLOB_Object pair = resource("ExtGState").DictGet(GLOB_Name("Font"));
                font = pair.IsArray() ? pair.Get(0) : GLOB_Object();
            } else if (operands.Size() == 2 && operands.Operand(1).IsName()) {
                font = parser.Resource("Font", operands.Operand(1).AsName());
            }
            const GLOB_Dict glyphs =
                font.HasSubtype("Type3") ? font.DictGet(GLOB_Name("CharProcs")).AsDict() : GLOB_Dict();
            GLOB_Object procedure;
            for (uint32_t k = 0; glyphs.Entry(k, nullptr, &procedure); ++k)
                CheckInk(procedure, font.DictGet(GLOB_Name("Resources")), seen, true);
        } else if (op == "BDC" && !name.IsEmpty()) {
            resource("Properties");
        }
    }
    EXPECT_FALSE(parser.IsStopped()) << parser.ErrorMessage();
}

// The separation of a page from index on: the new pages, each checked, and
// the text of each ink's content.
struct Inks {
    std::vector<GLOB_Object> pages;
    std::vector<std::string> contents;
};

inline Inks Separate(const CSEP_SepJobContext& job, const CPDF_Page& page, int index = 0) {
    CSEP_PDFSeparator separator;
    separator.SetJobContext(job);
    Inks inks;
    separator.SeparatePage(page, index, inks.pages);
    std::vector<GLOB_Object> seen;
    for (const GLOB_Object& inkPage : inks.pages) {
        const GLOB_Object contents = inkPage.DictGet(GLOB_Name("Contents"));
        CheckInk(contents, inkPage.DictGet(GLOB_Name("Resources")), seen);
        inks.contents.push_back(StreamData(contents, 2));
    }
    return inks;
}

// Ink i's text of a pattern whose "{a|b|c|d|e}" give each ink its own
// piece.
inline std::string ForInk(const std::string& pattern, size_t ink) {
    std::string text;
    for (size_t at = 0; at < pattern.size();) {
        const size_t open = pattern.find('{', at);
        text += pattern.substr(at, open - at);
        if (open == std::string::npos)
            break;
        const size_t close = pattern.find('}', open);
        std::string choices = pattern.substr(open + 1, close - open - 1) + "|";
        for (size_t i = 0; i < ink; ++i)
            choices.erase(0, choices.find('|') + 1);
        text += choices.substr(0, choices.find('|'));
        at = close + 1;
    }
    return text;
}

// A content's text after the four initial colour lines (fill and stroke,
// twice).
inline std::string Body(const std::string& content) {
    size_t at = 0;
    for (int line = 0; line < 4 && at != std::string::npos; ++line)
        at = content.find('\n', at) + 1;
    return content.substr(at);
}
