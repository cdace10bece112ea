#include "FUZZ_RealSeeds.h"

#include "FILT/FILT_ASCII85Encode.h"
#include "FILT/FILT_ASCIIHexEncode.h"
#include "FILT/FILT_CCITTFaxEncode.h"
#include "FILT/FILT_FlateEncode.h"
#include "FILT/FILT_PredictEncode.h"
#include "FILT/FILT_RunLengthEncode.h"
#include "FUZZ_Input.h"
#include "FUZZ_Objects.h"
#include "GLIB/GLIB_Exception.h"
#include "GLOB/GLOB_Array.h"
#include "support/GLOB_ChunkedCore.h"
#include "GLOB/GLOB_Dict.h"
#include "GLOB/GLOB_ObjectWriter.h"
#include "support/FilterDriver.h"

#include <algorithm>
#include <cstdio>
#include <dirent.h>
#include <fstream>
#include <set>
#include <sstream>
#include <sys/stat.h>

namespace {

std::string Encode(FILT_Filter&& filter, const std::string& data) { return RunFilter(filter, data, {{0}, {0}}); }

std::string NameText(const GLOB_Object& obj) {
    return obj.Type() == GLOB_Object::KindName && obj.AsName().CStr() ? obj.AsName().CStr() : "";
}

// What a stream holds, from its dictionary.
std::string Role(const GLOB_Dict& dict) {
    const std::string type = NameText(dict.Get("Type"));
    const std::string subtype = NameText(dict.Get("Subtype"));
    if (type == "ObjStm" || type == "XRef" || type == "Metadata")
        return type;
    if (dict.Known("FunctionType"))
        return "Function" + std::to_string(dict.IntegerValue("FunctionType", 0));
    if (dict.Known("ShadingType"))
        return "Shading";
    if (subtype == "Image")
        return "Image";
    if (dict.Known("Length1") || dict.Known("Length2") || dict.Known("Length3") || subtype == "Type1C" ||
        subtype == "CIDFontType0C" || subtype == "OpenType")
        return "Font";
    if (dict.Known("N"))
        return "ICC";
    if (subtype == "Form" || type == "Pattern" || (type.empty() && subtype.empty()))
        return "Content";
    return "Other";
}

std::vector<std::string> FilterNames(const GLOB_Object& filter) {
    std::vector<std::string> names;
    if (filter.Type() == GLOB_Object::KindName)
        names.push_back(NameText(filter));
    if (filter.IsArray()) {
        const GLOB_Array array = filter.AsArray();
        for (uint32_t i = 0; i < array.Length(); ++i)
            names.push_back(NameText(array.Get(i)));
    }
    return names;
}

// The parameters of the first filter.
GLOB_Dict FirstParams(const GLOB_Object& params) {
    if (params.IsDict())
        return params.AsDict();
    if (params.IsArray() && params.AsArray().Length() > 0 && params.AsArray().Get(0).IsDict())
        return params.AsArray().Get(0).AsDict();
    return GLOB_Dict();
}

// << /Filter … /DecodeParms … >> as the object writer writes it.
std::string FilterDictText(const GLOB_Object& filter, const GLOB_Object& params) {
    GLOB_Dict dict;
    dict.Put("Filter", filter);
    if (!params.IsNull())
        dict.Put("DecodeParms", params);
    GLOB_ChunkedCore* core = new GLOB_ChunkedCore();
    GLOB_ObjectWriter writer{GLOB_Stream(core)};
    writer.WriteDict(dict);
    writer.Flush();
    return core->written;
}

// The first bytes of a text, cut after a line end when one is near.
std::string CutText(const std::string& text, size_t size) {
    if (text.size() <= size)
        return text;
    const size_t lineEnd = text.find_last_of("\r\n", size - 1);
    return text.substr(0, lineEnd != std::string::npos && lineEnd >= size / 2 ? lineEnd + 1 : size);
}

char ByteOf(int32_t value) { return static_cast<char>(static_cast<uint8_t>(value)); }

// What ColorReaders reads an object as, or "" for none of it.
std::string ColorGroup(const GLOB_Object& obj) {
    static const std::set<std::string> families = {"Separation", "DeviceN", "Indexed", "ICCBased",
                                                   "CalGray",    "CalRGB",  "Lab",     "Pattern"};
    if (obj.IsArray())
        return obj.Length() > 0 && families.count(NameText(obj.Get(0))) ? NameText(obj.Get(0)) : "";
    if (!obj.IsDict())
        return "";
    const GLOB_Dict dict = obj.AsDict();
    if (dict.Known("ShadingType"))
        return "Shading " + std::to_string(dict.IntegerValue("ShadingType", 0));
    if (dict.Known("FunctionType"))
        return "Function " + std::to_string(dict.IntegerValue("FunctionType", 0));
    if (dict.HasSubtype("Image"))
        return "Image";
    if (dict.HasType("Page"))
        return "Page";
    const bool resources = dict.Known("ColorSpace") || dict.Known("Pattern") || dict.Known("Shading") ||
                           dict.Known("XObject");
    return resources && !dict.Known("Type") ? "Resources" : "";
}

std::string ObjectGroup(const GLOB_Object& obj) {
    if (!obj.IsDict())
        return GLOB_Object::TypeString(obj.Type());
    const GLOB_Dict dict = obj.AsDict();
    const std::string type = NameText(dict.Get("Type"));
    GLOB_Name key;
    if (type.empty() && dict.Entry(0, &key, nullptr))
        return std::string("Dict with /") + (key.CStr() ? key.CStr() : "");
    return "Dict " + type;
}

}  // namespace

FUZZ_RealSeeds::FUZZ_RealSeeds(const std::string& folder) {
    std::vector<std::string> names;
    if (DIR* dir = opendir(folder.c_str())) {
        while (dirent* entry = readdir(dir)) {
            const std::string name = entry->d_name;
            if (name.size() > 4 && name.compare(name.size() - 4, 4, ".pdf") == 0)
                names.push_back(name);
        }
        closedir(dir);
    }
    std::sort(names.begin(), names.end());
    for (const std::string& name : names) {
        std::ifstream in(folder + "/" + name, std::ios::binary);
        std::ostringstream bytes;
        bytes << in.rdbuf();
        AddFile(name.substr(0, name.size() - 4), bytes.str());
    }
}

void FUZZ_RealSeeds::AddFile(const std::string& stem, const std::string& file) {
    m_stem = stem;
    m_objectText.clear();
    m_byNumber.clear();
    const std::vector<FUZZ_PdfObject> objects = FUZZ_PdfScan::Objects(file);
    for (const FUZZ_PdfObject& object : objects)
        m_byNumber[object.number] = object;
    for (const FUZZ_PdfObject& object : objects) {
        try {
            AddObject(object);
            if (object.isStream)
                AddStream(object);
            AddColorObjects(object);
        } catch (const GLIB_Exception&) {
            // A wrong kind in a dictionary: the object gives what it gave.
        } catch (const FilterContractError&) {
        }
    }
    Add("Lexer", "Objects", "objects", "", CutText(m_objectText, MaxText), 3);
    Add("OperatorParser", "Objects", "objects", "", CutText(m_objectText, MaxText), 3);
}

void FUZZ_RealSeeds::AddObject(const FUZZ_PdfObject& object) {
    if (m_objectText.size() < MaxText)
        m_objectText += object.text + "\n";
    if (object.text.size() <= MaxObject)
        Add("ParseObject", ObjectGroup(object.object), std::to_string(object.number), "", object.text, 0);
}

void FUZZ_RealSeeds::AddColorObjects(const FUZZ_PdfObject& root) {
    const std::string group = ColorGroup(root.object);
    if (group.empty())
        return;
    const std::string text = ObjectsText(root);
    if (text.size() <= MaxColorSeed)
        Add("ColorReaders", group, std::to_string(root.number), "", text, 0);
}

std::string FUZZ_RealSeeds::ObjectsText(const FUZZ_PdfObject& root) const {
    std::vector<const FUZZ_PdfObject*> order = {&root};
    std::map<int32_t, size_t> slots = {{root.number, 0}};
    const auto slot = [&](int32_t number) -> std::string {
        auto found = slots.find(number);
        if (found == slots.end()) {
            const auto known = m_byNumber.find(number);
            if (known == m_byNumber.end() || order.size() == FUZZ_Objects::MaxObjects)
                return "null";
            found = slots.emplace(number, order.size()).first;
            order.push_back(&known->second);
        }
        return "/@" + std::to_string(found->second);
    };
    std::vector<std::string> texts;
    for (size_t i = 0; i < order.size(); ++i) {
        const FUZZ_PdfObject& object = *order[i];
        const std::string text = FUZZ_PdfScan::ReplaceReferences(object.rawText, slot);
        texts.push_back(object.isStream ? FUZZ_Objects::Stream(text, object.data.substr(0, MaxColorData)) : text);
    }
    return FUZZ_Objects::Text(texts);
}

void FUZZ_RealSeeds::AddStream(const FUZZ_PdfObject& stream) {
    if (!stream.object.IsDict())
        return;
    const std::string number = std::to_string(stream.number);
    const GLOB_Dict dict = stream.object.AsDict();
    const std::string role = Role(dict);
    const GLOB_Object filter = dict.Get("Filter");
    const GLOB_Object params = dict.Get("DecodeParms");
    const std::vector<std::string> filters = FilterNames(filter);
    const GLOB_Dict first = FirstParams(params);
    const std::string& data = stream.data;
    if (!filters.empty()) {
        const std::string text = FilterDictText(filter, params);
        if (text.size() <= MaxDictText) {
            const std::string head = ByteOf(static_cast<int32_t>(text.size())) + text;
            Add("FilterChain", text, number, head + "\x01", data.substr(0, MaxData));
            // Stored encoded, read back decoded, with the default copy buffer.
            Add("MemoryStream", text, number, head + std::string("\1\2\0", 3), data.substr(0, MaxData), 3);
        }
    }
    const std::vector<std::string> flate = {"FlateDecode"};
    if (filters == flate && first.IntegerValue("Predictor", 1) == 1)
        Add("FlateDecode", role, number, "", data.substr(0, MaxData));
    if (filters == flate && first.IntegerValue("Predictor", 1) != 1) {
        const int32_t predictor = first.IntegerValue("Predictor");
        const int32_t colors = first.IntegerValue("Colors", 1);
        const int32_t bits = first.IntegerValue("BitsPerComponent", 8);
        const int32_t columns = first.IntegerValue("Columns", 1);
        const std::string group =
            "Predictor " + std::to_string(predictor) + ", " + std::to_string(columns) + " columns";
        if (predictor < 256 && colors > 0 && colors < 256 && bits > 0 && bits < 256 && columns > 0 && columns < 65536)
            Add("FlatePredictDecode", group, number,
                {ByteOf(predictor), ByteOf(colors), ByteOf(bits), ByteOf(columns >> 8), ByteOf(columns)},
                data.substr(0, MaxData));
    }
    if (filters == std::vector<std::string>{"DCTDecode"}) {
        const int32_t transform = first.IntegerValue("ColorTransform", 2);
        Add("DCTDecode", m_stem, number, std::string(1, ByteOf(transform == 0 || transform == 1 ? transform : 2)),
            data.substr(0, MaxImage));
    }
    if (filters == std::vector<std::string>{"CCITTFaxDecode"}) {
        const int32_t flags = (first.BooleanValue("EndOfLine", false) ? 1 : 0) |
                              (first.BooleanValue("EncodedByteAlign", false) ? 2 : 0) |
                              (first.BooleanValue("EndOfBlock", true) ? 4 : 0) |
                              (first.BooleanValue("BlackIs1", false) ? 8 : 0) |
                              std::max(0, std::min(first.IntegerValue("DamagedRowsBeforeError", 0), 15)) << 4;
        const int32_t k = std::max(-128, std::min(first.IntegerValue("K", 0), 127));
        const int32_t rows = first.IntegerValue("Rows", 0);
        const int32_t columns = first.IntegerValue("Columns", 1728);
        Add("CCITTFaxDecode", m_stem, number,
            {ByteOf(flags), ByteOf(k), ByteOf(rows >> 8), ByteOf(rows), ByteOf(columns >> 8), ByteOf(columns)},
            data.substr(0, MaxImage));
    }
    if (!filters.empty() && filters[0] == "ASCII85Decode")
        Add("ASCII85Decode", "Real", number, "", data.substr(0, MaxData));
    std::string decoded;
    try {
        decoded = FUZZ_PdfScan::Decoded(stream);
    } catch (const GLIB_Exception&) {
        return;  // an encrypted file, a filter the project lacks (LZW)
    } catch (const FilterContractError&) {
        return;
    }
    AddDecoded(stream, role, decoded);
}

void FUZZ_RealSeeds::AddDecoded(const FUZZ_PdfObject& stream, const std::string& role, const std::string& decoded) {
    const std::string number = std::to_string(stream.number);
    if (role == "Image")
        AddImage(stream, decoded);
    if (role == "Content") {
        Add("Lexer", role, number, "", CutText(decoded, MaxText), 3);
        Add("OperatorParser", role, number, "", CutText(decoded, MaxText), 3);
        Add("ContentParser", role, number, "", CutText(decoded, MaxText), 3);
    }
    if (role == "Function4") {
        Add("Lexer", role, number, "", CutText(decoded, MaxText), 3);
        // Input and output counts as FUZZ_PSFunction takes them, Domain and
        // Range [0 1], the ends and the middle of each input.
        const GLOB_Dict dict = stream.object.AsDict();
        const GLOB_Object domain = dict.Get("Domain"), range = dict.Get("Range");
        const uint32_t inputs = std::min(std::max(domain.IsArray() ? domain.Length() / 2 : 1u, 1u), 4u);
        const uint32_t outputs = std::min(std::max(range.IsArray() ? range.Length() / 2 : 1u, 1u), 4u);
        std::string points;
        for (const char point : {'\x20', '\xd8', '\x7c'})
            points.append(inputs, point);
        Add("PSFunction", role, number, std::string(1, ByteOf(int32_t(inputs - 1 + 4 * (outputs - 1)))),
            CutText(decoded, MaxText) + points, 3);
    }
    const std::string sample = decoded.substr(0, MaxSample);
    if (sample.empty())
        return;
    Add("RunLengthDecode", role, number, "", Encode(FILT_RunLengthEncode(), sample));
    Add("ASCIIHexDecode", role, number, "", Encode(FILT_ASCIIHexEncode(), sample));
    Add("ASCII85Decode", "Encoded " + role, number, "", Encode(FILT_ASCII85Encode(), sample));
}

void FUZZ_RealSeeds::AddImage(const FUZZ_PdfObject& image, const std::string& samples) {
    const GLOB_Dict dict = image.object.AsDict();
    const std::string number = std::to_string(image.number);
    const int32_t width = dict.IntegerValue("Width", 0);
    const int32_t height = dict.IntegerValue("Height", 0);
    const int32_t bits = dict.BooleanValue("ImageMask", false) ? 1 : dict.IntegerValue("BitsPerComponent", 8);
    if (width < 1 || width >= 65536 || height < 1 || (bits != 1 && bits != 2 && bits != 4 && bits != 8 && bits != 16))
        return;
    const size_t rowBytes = samples.size() / static_cast<size_t>(height);
    int32_t colors = 1;
    while (colors < 5 && (static_cast<size_t>(width) * colors * bits + 7) / 8 != rowBytes)
        ++colors;
    if (colors == 5 || rowBytes == 0)
        return;
    // The TIFF and every PNG predictor in turn, over the first rows.
    static const int32_t predictors[] = {2, 10, 11, 12, 13, 14, 15};
    const int32_t predictor = predictors[m_predictorTurn++ % std::size(predictors)];
    const std::string rows = samples.substr(0, std::max<size_t>(1, MaxSample / rowBytes) * rowBytes);
    Add("FlatePredictDecode", "Image, predictor " + std::to_string(predictor), number,
        {ByteOf(predictor), ByteOf(colors), ByteOf(bits), ByteOf(width >> 8), ByteOf(width)},
        Encode(FILT_FlateEncode(), Encode(FILT_PredictEncode(predictor, colors, bits, width), rows)));
    if (bits != 1 || colors != 1)
        return;
    // A bilevel image in each of these codings, as far as the target decodes
    // it in 1-byte rooms.
    struct Coding {
        const char* name;
        int32_t k;
        bool endOfLine, byteAlign, endOfBlock, blackIs1;
    };
    static const Coding codings[] = {
        {"g4", -1, false, false, true, false},          {"g3-eol", 0, true, false, true, false},
        {"g3-aligned-black", 0, false, true, true, true}, {"mixed-eol", 2, true, false, true, false},
        {"mixed-rows-black", 4, false, false, false, true}, {"g4-aligned-rows", -1, false, true, false, false}};
    const int32_t rowCount = static_cast<int32_t>(std::min<size_t>(height, FUZZ_Input::MaxOutput / rowBytes));
    for (const Coding& c : codings) {
        FILT_CCITTFaxEncode encoder;
        encoder.SetParams(c.k, c.endOfLine, c.byteAlign, c.endOfBlock, c.blackIs1, rowCount, width);
        const std::string coded = Encode(std::move(encoder), samples.substr(0, rowCount * rowBytes));
        const int32_t flags =
            (c.endOfLine ? 1 : 0) | (c.byteAlign ? 2 : 0) | (c.endOfBlock ? 4 : 0) | (c.blackIs1 ? 8 : 0);
        Add("CCITTFaxDecode", c.name, number + "-" + c.name,
            {ByteOf(flags), ByteOf(c.k), ByteOf(rowCount >> 8), ByteOf(rowCount), ByteOf(width >> 8), ByteOf(width)},
            coded.substr(0, MaxImage));
    }
}

void FUZZ_RealSeeds::Add(const std::string& target, const std::string& group, const std::string& suffix,
                         const std::string& params, const std::string& data, size_t chunkBytes) {
    if (data.empty())
        return;
    std::vector<Group>& groups = m_targets[target];
    auto found = std::find_if(groups.begin(), groups.end(), [&](const Group& g) { return g.key == group; });
    if (found == groups.end())
        found = groups.insert(groups.end(), Group{group, {}});
    const size_t rank = m_perFile[target + "\n" + group + "\n" + m_stem]++;
    const std::string chunks = FUZZ_Input::SeedChunks(m_turns[target]++).substr(0, chunkBytes);
    found->candidates.push_back({m_stem + "-" + suffix, params + chunks + data, rank});
}

std::vector<FUZZ_RealSeeds::Candidate> FUZZ_RealSeeds::Picked(const std::vector<Group>& groups, size_t maxSeeds) {
    std::vector<std::vector<Candidate>> ranked;
    for (const Group& group : groups) {
        ranked.push_back(group.candidates);
        std::stable_sort(ranked.back().begin(), ranked.back().end(),
                         [](const Candidate& a, const Candidate& b) { return a.rank < b.rank; });
    }
    std::vector<Candidate> picked;
    std::set<std::string> seen;
    size_t bytes = 0;
    for (size_t round = 0;; ++round) {
        bool more = false;
        for (const std::vector<Candidate>& candidates : ranked) {
            if (round >= candidates.size())
                continue;
            more = true;
            const Candidate& c = candidates[round];
            if (picked.size() == maxSeeds)
                return picked;
            if (bytes + c.bytes.size() <= MaxBytes && seen.insert(c.bytes).second) {
                bytes += c.bytes.size();
                picked.push_back(c);
            }
        }
        if (!more)
            return picked;
    }
}

void FUZZ_RealSeeds::Write(const std::string& root) const {
    for (const auto& target : m_targets) {
        const std::string dir = root + "/" + target.first;
        mkdir(dir.c_str(), 0755);
        std::set<std::string> names;
        size_t bytes = 0;
        const bool few = target.first == "ASCIIHexDecode" || target.first == "ASCII85Decode" ||
                         target.first == "RunLengthDecode" || target.first == "FilterChain" ||
                         target.first == "MemoryStream";
        const std::vector<Candidate> picked = Picked(target.second, few ? MaxFewSeeds : MaxSeeds);
        for (const Candidate& c : picked) {
            std::string name = c.name;
            for (int n = 2; !names.insert(name).second; ++n)
                name = c.name + "-" + std::to_string(n);
            std::ofstream(dir + "/" + name, std::ios::binary) << c.bytes;
            bytes += c.bytes.size();
        }
        std::printf("%-20s %3zu seeds from real files, %6zu bytes\n", target.first.c_str(), picked.size(), bytes);
    }
}
