#include "FUZZ_SeparationSeeds.h"

#include "FUZZ_ObjectText.h"
#include "FUZZ_Objects.h"
#include "GLOB/GLOB_Dict.h"
#include "support/SeparationCorpus.h"

#include <algorithm>
#include <functional>

namespace {

// Point bytes of SliceFunction: edges, inside, beyond.
const std::string PointBytes = std::string("\x20\xd8\x7c\x00\x60\xb0\xf0\x40", 8);

std::string Flags(size_t turn) { return std::string(1, static_cast<char>(turn % 4)); }

// Every function, shading, image and Indexed space reachable from root.
class Harvest {
public:
    std::vector<GLOB_Object> functions, shadings, images, indexed;

    void Walk(const GLOB_Object& object, int depth = 0) {
        if (!object.IsContainer() || depth > 64)
            return;
        if (object.IsIndirect()) {
            if (std::find(m_seen.begin(), m_seen.end(), object) != m_seen.end())
                return;
            m_seen.push_back(object);
        }
        if (object.IsArray()) {
            if (object.Length() == 4 && object.Get(0).IsName() && object.Get(0).AsName() == "Indexed")
                indexed.push_back(object);
            for (uint32_t i = 0; i < object.Length(); ++i)
                Walk(object.Get(i), depth + 1);
            return;
        }
        const GLOB_Object dict = object.IsStream() ? object.StreamDict() : object;
        if (dict.Known(GLOB_Name("FunctionType")))
            functions.push_back(object);
        if (dict.Known(GLOB_Name("ShadingType")))
            shadings.push_back(object);
        if (object.IsStream() && dict.HasSubtype("Image"))
            images.push_back(object);
        const GLOB_Dict entries = dict.AsDict();
        GLOB_Name key;
        GLOB_Object value;
        for (uint32_t i = 0; entries.Entry(i, &key, &value); ++i)
            if (!(key == "Parent"))
                Walk(value, depth + 1);
    }

private:
    std::vector<GLOB_Object> m_seen;
};

std::string Stream(const std::string& dict, const std::string& data) { return FUZZ_Objects::Stream(dict, data); }

// A page of MediaBox [0 0 9 9] with the resources and content as text;
// more objects follow as /@2 on.
std::string Page(const std::string& resources, const std::string& content, const std::vector<std::string>& more = {}) {
    std::vector<std::string> objects = {"<< /Type /Page /MediaBox [0 0 9 9] /Resources " + resources +
                                            " /Contents /@1 >>",
                                        Stream("<< >>", content)};
    objects.insert(objects.end(), more.begin(), more.end());
    return FUZZ_Objects::Text(objects);
}

// A type 3 function naming object next twice, as objects of number first
// on; depth levels of them, then a sampled function of four outputs.
std::vector<std::string> SharedStitching(int first, int depth) {
    std::vector<std::string> objects;
    for (int level = 0; level < depth; ++level) {
        const std::string next = "/@" + std::to_string(first + level + 1);
        objects.push_back("<< /FunctionType 3 /Domain [0 1] /Bounds [0.5] /Encode [0 1 1 0] /Functions [" + next +
                          " " + next + "] >>");
    }
    std::string samples;
    for (int i = 0; i < 16; ++i)
        samples += static_cast<char>(i * 17);
    objects.push_back(Stream("<< /FunctionType 0 /Domain [0 1] /Range [0 1 0 1 0 1 0 1] /Size [4] "
                             "/BitsPerSample 8 >>",
                             samples));
    return objects;
}

const char* const Gold = "[/Separation /Gold /DeviceCMYK << /FunctionType 2 /Domain [0 1] /C0 [0 0 0 0] "
                         "/C1 [0 0.2 0.9 0.1] /N 1 >>]";

// Pages of shapes the corpus does not hold.
std::vector<std::string> HandPages() {
    std::vector<std::string> pages;
    std::vector<std::string> stitching = {"<< /ShadingType 2 /ColorSpace /DeviceCMYK /Coords [0 0 9 0] "
                                          "/Function /@3 >>"};
    for (const std::string& f : SharedStitching(3, 4))
        stitching.push_back(f);
    pages.push_back(Page("<< /Shading << /Sh0 /@2 >> >>", "/Sh0 sh", stitching));
    pages.push_back(Page("<< /Font << /F0 << /Type /Font /Subtype /Type3 /FontBBox [0 0 1000 1000] "
                         "/FontMatrix [0.001 0 0 0.001 0 0] /CharProcs << /sq /@2 >> /Encoding << /Type /Encoding "
                         "/Differences [97 /sq] >> /FirstChar 97 /LastChar 97 /Widths [1000] >> >> >>",
                         "BT /F0 9 Tf 0 0 Td (a) Tj ET",
                         {Stream("<< >>", "1000 0 d0 0 1 0 0 k 0 0 1000 1000 re f")}));
    std::string cmyk, mask;
    for (int i = 0; i < 4 * 4 * 4; ++i)
        cmyk += static_cast<char>(i * 4);
    for (int i = 0; i < 16; ++i)
        mask += static_cast<char>(i % 2 ? 255 : 0);
    pages.push_back(Page(std::string("<< /ColorSpace << /CS0 ") + Gold + " >> /XObject << /Im0 /@2 >> >>",
                         "/CS0 cs 1 scn 0 0 9 9 re f q 9 0 0 9 0 0 cm /Im0 Do Q",
                         {Stream("<< /Type /XObject /Subtype /Image /Width 4 /Height 4 /ColorSpace /DeviceCMYK "
                                 "/BitsPerComponent 8 /SMask /@3 >>",
                                 cmyk),
                          Stream("<< /Type /XObject /Subtype /Image /Width 4 /Height 4 /ColorSpace /DeviceGray "
                                 "/BitsPerComponent 8 >>",
                                 mask)}));
    pages.push_back(FUZZ_Objects::Text({"<< /Type /Page /MediaBox [0 0 9 9] /Resources << >> >>"}));
    // A spot of the job whose tint transform evaluates, beside one whose
    // does not and that is not in the job.
    pages.push_back(Page(std::string("<< /ColorSpace << /CS0 ") + Gold +
                             " /CS1 [/Separation /Other /DeviceCMYK /@2] >> >>",
                         "/CS0 cs 1 scn 0 0 9 9 re f /CS1 cs 0.5 scn 0 0 4 4 re f",
                         {Stream("<< /FunctionType 4 /Domain [0 1] /Range [0 1 0 1 0 1 0 1] >>", "{ pop 1 }")}));
    // Image data shorter than the dictionary claims.
    pages.push_back(Page("<< /XObject << /Im0 /@2 >> >>", "q 9 0 0 9 0 0 cm /Im0 Do Q",
                         {Stream("<< /Subtype /Image /Width 5 /Height 5 /ColorSpace /DeviceCMYK "
                                 "/BitsPerComponent 8 >>",
                                 cmyk)}));
    return pages;
}

std::vector<std::string> HandFunctions() {
    std::string twelve;
    for (int i = 0; i < 9; ++i)
        twelve += static_cast<char>(i * 29 + 7);
    return {
        FUZZ_Objects::Text(SharedStitching(0, 5)),
        FUZZ_Objects::Text({Stream("<< /FunctionType 0 /Domain [0 1] /Range [0 1 0 1] /Size [3] /BitsPerSample 12 "
                                   "/Decode [0 1 1 0] >>",
                                   twelve)}),
        FUZZ_Objects::Text({"<< /FunctionType 2 /Domain [0 1] /C0 [0 0.2 1] /C1 [1 0.9 0] /N 1.5 "
                            "/Range [0 0.5 0 1 0 1] >>"}),
        FUZZ_Objects::Text({Stream("<< /FunctionType 4 /Domain [0 1] /Range [0 1 0 1 0 1 0 1] >>",
                                   "{ dup 0.5 gt { pop 1 } { 2 mul } ifelse dup dup dup }")}),
        FUZZ_Objects::Text({"[/@1 /@2]", "<< /FunctionType 2 /Domain [0 1] /C0 [0.1] /C1 [0.9] /N 1 >>",
                            Stream("<< /FunctionType 4 /Domain [0 1] /Range [0 1] >>", "{ 1 exch sub }")}),
        FUZZ_Objects::Text({Stream("<< /FunctionType 0 /Domain [0 1 0 1] /Range [0 1] /Size [2 2] "
                                   "/BitsPerSample 4 >>",
                                   "\x0f\x70")}),
    };
}

std::vector<std::string> HandImages() {
    return {
        FUZZ_Objects::Text({Stream("<< /Subtype /Image /Width 5 /Height 3 /ColorSpace /DeviceCMYK "
                                   "/BitsPerComponent 2 /Decode [1 0 1 0 1 0 1 0] >>",
                                   "\x1b\x6c\xb1\xc6\x1b\x6c\xb1\xc6\x1b\x6c\xb1\xc6\x1b\x6c\xb1")}),
        FUZZ_Objects::Text({Stream("<< /Subtype /Image /Width 2 /Height 2 /ColorSpace /DeviceCMYK "
                                   "/BitsPerComponent 16 >>",
                                   std::string(32, '\x35'))}),
        FUZZ_Objects::Text({Stream("<< /Subtype /Image /Width 3 /Height 2 /ColorSpace /@1 /BitsPerComponent 4 >>",
                                   "\x01\x20\x12\x00"),
                            "[/Indexed /DeviceCMYK 2 <00000000 80200000 1060A0>]"}),
        FUZZ_Objects::Text({"[/Indexed [/DeviceN [/Gold /Magenta] /DeviceCMYK /@1] 2 <0000 C020 30D0>]",
                            Stream("<< /FunctionType 4 /Domain [0 1 0 1] /Range [0 1 0 1 0 1 0 1] >>",
                                   "{ pop dup 0.2 mul exch dup 0.9 mul exch 0.1 mul 0 }")}),
    };
}

}  // namespace

std::map<std::string, std::vector<std::string>> FUZZ_SeparationSeeds() {
    std::map<std::string, std::vector<std::string>> seeds;
    std::vector<std::string>& pages = seeds["SeparatePage"];
    std::vector<std::string>& functions = seeds["SliceFunction"];
    std::vector<std::string>& shadings = seeds["SliceShading"];
    std::vector<std::string>& images = seeds["SliceImage"];
    for (const CorpusPage& corpusPage : SeparationCorpus()) {
        const CPDF_Doc doc = corpusPage.build();
        const GLOB_Object page = doc.Page(0).Object();
        page.RemovePath("Parent");
        pages.push_back(FUZZ_ObjectText(page));
        Harvest found;
        found.Walk(page);
        for (const GLOB_Object& f : found.functions)
            functions.push_back(Flags(functions.size()) + PointBytes + FUZZ_ObjectText(f));
        for (const GLOB_Object& s : found.shadings) {
            shadings.push_back(Flags(shadings.size()) + FUZZ_ObjectText(s));
            const GLOB_Object function = s.IsStream() ? s.StreamDict().DictGet(GLOB_Name("Function"))
                                                      : s.DictGet(GLOB_Name("Function"));
            if (function.IsArray())
                functions.push_back(Flags(functions.size()) + PointBytes + FUZZ_ObjectText(function));
        }
        for (const GLOB_Object& i : found.images)
            images.push_back(Flags(images.size()) + FUZZ_ObjectText(i));
        for (const GLOB_Object& i : found.indexed)
            images.push_back(Flags(images.size()) + FUZZ_ObjectText(i));
    }
    for (const std::string& page : HandPages())
        pages.push_back(page);
    for (const std::string& f : HandFunctions())
        functions.push_back(Flags(functions.size()) + PointBytes + f);
    for (const std::string& i : HandImages())
        images.push_back(Flags(images.size()) + i);
    return seeds;
}
