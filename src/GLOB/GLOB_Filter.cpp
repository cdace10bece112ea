#include "GLOB/GLOB_Filter.h"

#include "FILT/FILT_ASCII85Decode.h"
#include "FILT/FILT_ASCII85Encode.h"
#include "FILT/FILT_ASCIIHexDecode.h"
#include "FILT/FILT_ASCIIHexEncode.h"
#include "FILT/FILT_CCITTFaxDecode.h"
#include "FILT/FILT_CCITTFaxEncode.h"
#include "FILT/FILT_DCTDecode.h"
#include "FILT/FILT_DCTEncode.h"
#include "FILT/FILT_FlateDecode.h"
#include "FILT/FILT_FlateEncode.h"
#include "FILT/FILT_LossTeller.h"
#include "FILT/FILT_LZWDecode.h"
#include "FILT/FILT_PredictDecode.h"
#include "FILT/FILT_PredictEncode.h"
#include "FILT/FILT_RunLengthDecode.h"
#include "FILT/FILT_RunLengthEncode.h"
#include "FILT/FILT_Utils.h"
#include "GLIB/GLIB_Assert.h"
#include "GLIB/GLIB_Exception.h"
#include "GLIB/GLIB_Log.h"
#include "GLIB/GLIB_New.h"
#include "GLOB/GLOB_Array.h"
#include "GLOB/GLOB_Excerpt.h"
#include "GLOB/GLOB_String.h"

#include <algorithm>
#include <cfloat>
#include <memory>
#include <string>
#include <vector>

namespace {

using FilterPtr = std::unique_ptr<FILT_Filter>;

// Line set-up of the ASCII encoders in an encoding chain.
const char* const AsciiEndOfLine = "\r";
constexpr uint32_t ASCII85LineLength = 64;
constexpr uint32_t ASCIIHexLineLength = 32;

// CCITT defaults (ISO 32000-1, table 11).
constexpr int32_t CCITTDefaultColumns = 1728;

const char* TypeName(const GLOB_Object& obj) { return GLOB_Object::TypeString(obj.Type()); }

const char* NameText(const GLOB_Name& name) { return name.CStr() ? name.CStr() : ""; }

// Joins the owned pieces in order; each side may be null.
FILT_Filter* Join(FILT_Filter* chain, FilterPtr next) { return FILT_ConcatenateFilters(chain, next.release()); }

FilterPtr MakeCCITT(const GLOB_Dict& params, bool decoding) {
    const int32_t k = params.IntegerValue("K", 0);
    const bool endOfLine = params.BooleanValue("EndOfLine", false);
    const bool encodedByteAlign = params.BooleanValue("EncodedByteAlign", false);
    const int32_t columns = params.IntegerValue("Columns", CCITTDefaultColumns);
    const int32_t rows = params.IntegerValue("Rows", 0);
    const bool endOfBlock = params.BooleanValue("EndOfBlock", true);
    const bool blackIs1 = params.BooleanValue("BlackIs1", false);
    if (decoding && params.IntegerValue("DamagedRowsBeforeError", 0) != 0)
        GLIB_LOG(GLIB_LogWarning, "CCITTFax: non zero DamagedRowsBeforeError not supported, ignoring");
    if (k > 0)
        GLIB_LOG(GLIB_LogWarning, "CCITTFax: K value of " << k << " (G3-2D) not supported");
    // A refusal of SetParams is kept by the filter and thrown by its first
    // ProcessBytes, with the filter's own code.
    if (decoding) {
        std::unique_ptr<FILT_CCITTFaxDecode> f(GLIB_NEW FILT_CCITTFaxDecode);
        f->SetParams(k, endOfLine, encodedByteAlign, endOfBlock, blackIs1, rows, columns, true, false, 0, 0, true);
        return f;
    }
    std::unique_ptr<FILT_CCITTFaxEncode> f(GLIB_NEW FILT_CCITTFaxEncode);
    f->SetParams(k, endOfLine, encodedByteAlign, endOfBlock, blackIs1, rows, columns);
    return f;
}

FilterPtr MakeASCII85(bool decoding) {
    if (decoding)
        return FilterPtr(GLIB_NEW FILT_ASCII85Decode);
    std::unique_ptr<FILT_ASCII85Encode> f(GLIB_NEW FILT_ASCII85Encode);
    f->SetEndOfLine(AsciiEndOfLine);
    f->SetLineLength(ASCII85LineLength);
    return f;
}

FilterPtr MakeASCIIHex(bool decoding) {
    if (decoding)
        return FilterPtr(GLIB_NEW FILT_ASCIIHexDecode);
    std::unique_ptr<FILT_ASCIIHexEncode> f(GLIB_NEW FILT_ASCIIHexEncode);
    f->SetEndOfLine(AsciiEndOfLine);
    f->SetLineLength(ASCIIHexLineLength);
    return f;
}

FilterPtr MakeDCTDecode(const GLOB_Dict& params) {
    std::unique_ptr<FILT_DCTDecode> f(GLIB_NEW FILT_DCTDecode);
    GLOB_Object transform;
    if (params.Lookup("ColorTransform", transform))
        f->SetColorTransform(params.IntegerValue("ColorTransform"));
    return f;
}

struct FlateParams {
    int32_t bitsPerComponent;
    int32_t columns;
    int32_t colors;
    int32_t predictor;
};

FlateParams ReadFlateParams(const GLOB_Dict& params) {
    FlateParams p;
    p.bitsPerComponent = params.IntegerValue("BitsPerComponent", 8);
    p.columns = params.IntegerValue("Columns", 1);
    p.colors = params.IntegerValue("Colors", 1);
    p.predictor = params.IntegerValue("Predictor", 1);
    return p;
}

// The predictor takes BitsPerComponent, Colors and Columns unsigned: a
// negative one is refused here, where the number the file holds is still
// known, with the predictor's code, in its words and in its order (the
// predictor itself first).
template <class Predictor>
FilterPtr MakePredictor(const FlateParams& p, uint32_t code) {
    std::unique_ptr<Predictor> f(GLIB_NEW Predictor(p.predictor));
    const auto count = [&](int32_t value, const char* key, const std::string& range) {
        if (value < 0)
            GLIB_THROW(GLIB_Exception, code, f->Name() << ": " << key << " must be " << range << ", not " << value);
        return static_cast<uint32_t>(value);
    };
    const uint32_t bitsPerComponent = count(p.bitsPerComponent, "BitsPerComponent", "1, 2, 4, 8 or 16");
    const uint32_t colors = count(p.colors, "Colors", "1 to " + std::to_string(FILT_PredictParameters::MaxColors));
    const uint32_t columns = count(p.columns, "Columns", "at least 1");
    f->SetParameters(p.predictor, colors, bitsPerComponent, columns);
    return f;
}

}  // namespace

FILT_Filter* GLOB_Filter::MakeFilterChain(const GLOB_Object& filter, const GLOB_Object& decodeParms,
                                         uint32_t decode) {
    std::vector<GLOB_Name> names;
    switch (filter.Type()) {
    case GLOB_Object::KindName:
        names.push_back(filter.AsName());
        break;
    case GLOB_Object::KindArray: {
        const GLOB_Array array = filter.AsArray();
        for (uint32_t i = 0; i < array.Length(); ++i) {
            const GLOB_Object element = array.Get(i);
            if (element.Type() != GLOB_Object::KindName)
                GLIB_THROW(GLIB_Exception, FilterParamsCode,
                           "Filters must be specified as names. Filter " << i << " was a " << TypeName(element));
            names.push_back(element.AsName());
        }
        break;
    }
    default:
        GLIB_THROW(GLIB_Exception, FilterSpecCode,
                   "Filter specification must be a name or an array of names; found " << TypeName(filter));
    }

    std::vector<GLOB_Dict> params(names.size());
    switch (decodeParms.Type()) {
    case GLOB_Object::KindDict:
        if (!params.empty())
            params[0] = decodeParms.AsDict();
        break;
    case GLOB_Object::KindArray: {
        const GLOB_Array array = decodeParms.AsArray();
        for (uint32_t i = 0; i < params.size() && i < array.Length(); ++i) {
            const GLOB_Object element = array.Get(i);
            if (element.IsDict())
                params[i] = element.AsDict();
            else if (!element.IsNull())
                GLIB_THROW(GLIB_Exception, FilterParamsCode,
                           "Filter parameters must be specified as dictionaries. Filter "
                               << i << " was a " << TypeName(element));
        }
        break;
    }
    case GLOB_Object::KindNull:
        break;
    default:
        GLIB_THROW(GLIB_Exception, FilterParamsCode,
                   "Filter parameters must be a dict or an array of dicts; found " << TypeName(decodeParms));
    }

    FILT_Filter* chain = nullptr;
    const uint32_t direction = decode ? Decoding : Encoding;
    for (size_t n = 0; n < names.size(); ++n) {
        const size_t i = decode ? n : names.size() - 1 - n;
        chain = MakeFilter(chain, names[i], params[i], direction);
    }
    return chain;
}

FILT_Filter* GLOB_Filter::MakeReadingChain(const GLOB_Object& filter, const GLOB_Object& decodeParms) {
    FILT_Filter* chain = MakeFilterChain(filter, decodeParms, Decoding);
    return chain ? GLIB_NEW FILT_LossTeller(chain) : nullptr;
}

FILT_Filter* GLOB_Filter::MakeFilter(FILT_Filter* chain, const GLOB_Name& name, const GLOB_Dict& params,
                                    uint32_t direction) {
    FilterPtr previous(chain);
    const bool decoding = direction == Decoding;
    FilterPtr made;
    if (name == "ASCII85Decode")
        made = MakeASCII85(decoding);
    else if (name == "ASCIIHexDecode")
        made = MakeASCIIHex(decoding);
    else if (name == "CCITTFaxDecode")
        made = MakeCCITT(params, decoding);
    else if (name == "DCTDecode") {
        if (!decoding)
            return MakeDCTEncode(params, previous.release());
        made = MakeDCTDecode(params);
    } else if (name == "FlateDecode")
        return decoding ? MakeFlateDecode(params, previous.release()) : MakeFlateEncode(params, previous.release());
    else if (name == "LZWDecode" && decoding)
        return MakeLZWDecode(params, previous.release());
    else if (name == "RunLengthDecode")
        made = decoding ? FilterPtr(GLIB_NEW FILT_RunLengthDecode) : FilterPtr(GLIB_NEW FILT_RunLengthEncode);
    else
        GLIB_THROW(GLIB_Exception, UnknownFilterCode, "Unrecognized filter: " << GLOB_Excerpt(NameText(name), false));
    return Join(previous.release(), std::move(made));
}

FILT_Filter* GLOB_Filter::MakeFlateDecode(const GLOB_Dict& params, FILT_Filter* chain) {
    FilterPtr previous(chain);
    const FlateParams p = ReadFlateParams(params);
    FilterPtr flate(GLIB_NEW FILT_FlateDecode);
    FilterPtr predict;
    if (p.predictor != 1)
        predict = MakePredictor<FILT_PredictDecode>(p, FILT_PredictDecodeCode);
    return Join(Join(previous.release(), std::move(flate)), std::move(predict));
}

FILT_Filter* GLOB_Filter::MakeLZWDecode(const GLOB_Dict& params, FILT_Filter* chain) {
    FilterPtr previous(chain);
    const FlateParams p = ReadFlateParams(params);
    FilterPtr lzw(GLIB_NEW FILT_LZWDecode(params.IntegerValue("EarlyChange", 1) != 0));
    FilterPtr predict;
    if (p.predictor != 1)
        predict = MakePredictor<FILT_PredictDecode>(p, FILT_PredictDecodeCode);
    return Join(Join(previous.release(), std::move(lzw)), std::move(predict));
}

FILT_Filter* GLOB_Filter::MakeFlateEncode(const GLOB_Dict& params, FILT_Filter* chain) {
    FilterPtr previous(chain);
    const FlateParams p = ReadFlateParams(params);
    FilterPtr predict;
    if (p.predictor != 1)
        predict = MakePredictor<FILT_PredictEncode>(p, FILT_PredictEncodeCode);
    FilterPtr flate(GLIB_NEW FILT_FlateEncode);
    return Join(Join(previous.release(), std::move(predict)), std::move(flate));
}

FILT_Filter* GLOB_Filter::MakeDCTEncode(const GLOB_Dict& params, FILT_Filter* chain) {
    FilterPtr previous(chain);
    std::unique_ptr<FILT_DCTEncode> dct(GLIB_NEW FILT_DCTEncode);
    const int32_t colors = params.IntegerValue("Colors");
    const int32_t columns = params.IntegerValue("Columns");
    const int32_t rows = params.IntegerValue("Rows");
    dct->SetColumns(columns);
    dct->SetRows(rows);
    // Refuses counts outside 1 to MaxColors, which sizes every array below.
    dct->SetColors(colors);

    int32_t h[FILT_DCTBase::MaxColors];
    int32_t v[FILT_DCTBase::MaxColors];
    ReadSamplingArray(params, "HSamples", colors, h);
    ReadSamplingArray(params, "VSamples", colors, v);
    int32_t sum = 0;
    for (int32_t i = 0; i < colors; ++i)
        sum += h[i] * v[i];
    if (sum > MaxSamplingSum)
        GLIB_THROW(GLIB_Exception, FilterParamsCode,
                   "Sum of products of HSamples and VSamples must be <= " << MaxSamplingSum << ". Found: " << sum);
    dct->SetHSamples(std::vector<int32_t>(h, h + colors));
    dct->SetVSamples(std::vector<int32_t>(v, v + colors));

    // Checked as a double: a value beyond float's range has no defined
    // conversion.
    const double qFactor = params.NumberValue("QFactor", 1.0);
    if (!(qFactor >= 0.0 && qFactor <= FILT_DCTBase::MaxQFactor))
        GLIB_THROW(GLIB_Exception, FilterParamsCode,
                   "Expecting QFactor to be in the range 0-" << FILT_DCTBase::MaxQFactor << ". Found " << qFactor);
    dct->SetQFactor(static_cast<float>(qFactor));

    int32_t map[FILT_DCTBase::MaxColors];
    int32_t count = 0;
    const GLOB_Object quant = params.Get("QuantTables");
    if (!quant.IsNull()) {
        float tables[FILT_DCTBase::MaxColors][FILT_DCTBase::QuantTableSize];
        ReadQuantTables(quant, colors, map, tables, &count);
        for (int32_t i = 0; i < count; ++i)
            dct->SetQuantTable(i, tables[i]);
        dct->SetQuantTableMap(std::vector<int32_t>(map, map + colors));
    }
    const GLOB_Object huff = params.Get("HuffTables");
    if (!huff.IsNull()) {
        uint8_t dcTables[FILT_DCTBase::MaxColors][FILT_DCTBase::HuffTableSize];
        uint8_t acTables[FILT_DCTBase::MaxColors][FILT_DCTBase::HuffTableSize];
        int32_t dcMap[FILT_DCTBase::MaxColors];
        int32_t dcCount = 0;
        ReadHuffTables(huff, colors, 0, dcMap, dcTables, &dcCount);
        ReadHuffTables(huff, colors, 1, map, acTables, &count);
        for (int32_t i = 0; i < count; ++i)
            dct->SetACHuffTable(i, acTables[i]);
        dct->SetACHuffTableMap(std::vector<int32_t>(map, map + colors));
        for (int32_t i = 0; i < dcCount; ++i)
            dct->SetDCHuffTable(i, dcTables[i]);
        dct->SetDCHuffTableMap(std::vector<int32_t>(dcMap, dcMap + colors));
    }
    dct->SetColorTransform(params.IntegerValue("ColorTransform", colors == 3 ? 1 : 0));
    return Join(previous.release(), std::move(dct));
}

void GLOB_Filter::ReadSamplingArray(const GLOB_Dict& params, const char* key, int32_t n, int32_t* out) {
    GLIB_ASSERT(n >= 1 && n <= FILT_DCTBase::MaxColors);
    const GLOB_Object value = params.Get(key);
    switch (value.Type()) {
    case GLOB_Object::KindNull:
        std::fill(out, out + n, 1);
        return;
    case GLOB_Object::KindArray: {
        const GLOB_Array array = value.AsArray();
        if (array.Length() < static_cast<uint32_t>(n))
            GLIB_THROW(GLIB_Exception, FilterParamsCode,
                       "Expecting " << key << " array to have " << n << " entries. Found " << array.Length());
        for (int32_t i = 0; i < n; ++i) {
            const GLOB_Object element = array.Get(static_cast<uint32_t>(i));
            if (!element.IsInteger())
                GLIB_THROW(GLIB_Exception, FilterParamsCode,
                           "Expecting " << key << " to be an array of integers. Found " << TypeName(element)
                                        << " in entry " << i);
            out[i] = element.AsInteger();
        }
        break;
    }
    case GLOB_Object::KindString: {
        const GLOB_String text = value.AsString();
        if (text.Length() < static_cast<size_t>(n))
            GLIB_THROW(GLIB_Exception, FilterParamsCode,
                       "Expecting " << key << " string to have a length of " << n << " characters. Found a length of "
                                    << text.Length() << "characters.");
        for (int32_t i = 0; i < n; ++i)
            out[i] = static_cast<int8_t>(text[static_cast<size_t>(i)]);
        break;
    }
    default:
        GLIB_THROW(GLIB_Exception, FilterParamsCode,
                   "Expecting " << key << " DCT Parameter to be array or string, found: " << TypeName(value));
    }
    for (int32_t i = 0; i < n; ++i)
        if (out[i] < 1 || out[i] > FILT_DCTBase::MaxSamples)
            GLIB_THROW(GLIB_Exception, FilterParamsCode,
                       "Expecting " << key << " values to be in the range 1-" << FILT_DCTBase::MaxSamples << ". Found "
                                    << out[i]);
}

void GLOB_Filter::ReadQuantTables(const GLOB_Object& quantTables, int32_t n, int32_t* map,
                                  float (*tables)[FILT_DCTBase::QuantTableSize], int32_t* count) {
    GLIB_ASSERT(n >= 1 && n <= FILT_DCTBase::MaxColors);
    constexpr int32_t size = FILT_DCTBase::QuantTableSize;
    *count = 0;
    if (!quantTables.IsArray())
        GLIB_THROW(GLIB_Exception, FilterParamsCode,
                   "Expecting QuantTables DCT Parameter to be an array; found: " << TypeName(quantTables));
    const GLOB_Array array = quantTables.AsArray();
    if (array.Length() < static_cast<uint32_t>(n))
        GLIB_THROW(GLIB_Exception, FilterParamsCode,
                   "Expecting QuantTables array to have " << n << " entries; found: " << array.Length());
    for (int32_t i = 0; i < n; ++i) {
        const GLOB_Object entry = array.Get(static_cast<uint32_t>(i));
        int32_t same = -1;
        for (int32_t j = 0; j < i && same < 0; ++j)
            if (array.Get(static_cast<uint32_t>(j)).IsDeepEqual(entry))
                same = j;
        if (same >= 0) {
            map[i] = map[same];
            continue;
        }
        float* table = tables[*count];
        if (entry.IsArray()) {
            const GLOB_Array values = entry.AsArray();
            if (values.Length() < static_cast<uint32_t>(size))
                GLIB_THROW(GLIB_Exception, FilterParamsCode,
                           "Expecting QuantTables entry " << i << " array to have a length of " << size
                                                          << "; found: " << values.Length());
            for (int32_t k = 0; k < size; ++k) {
                const GLOB_Object value = values.Get(static_cast<uint32_t>(k));
                if (!value.IsNumber())
                    GLIB_THROW(GLIB_Exception, FilterParamsCode,
                               "Expecting QuantTables entries to be an array of numbers; found "
                                   << TypeName(value) << " in entry " << k << " of QuantTable " << i);
                // Kept within float's range so that the conversion is defined.
                table[k] = static_cast<float>(std::clamp(value.AsNumber(), -double{FLT_MAX}, double{FLT_MAX}));
            }
        } else if (entry.Type() == GLOB_Object::KindString) {
            const GLOB_String bytes = entry.AsString();
            if (bytes.Length() < static_cast<size_t>(size))
                GLIB_THROW(GLIB_Exception, FilterParamsCode,
                           "Expecting QuantTables entry " << i << " string to have a length of " << size
                                                          << "; found: " << bytes.Length());
            // Unsigned, as the array form gives values up to 255.
            for (int32_t k = 0; k < size; ++k)
                table[k] = bytes[static_cast<size_t>(k)];
        } else {
            GLIB_THROW(GLIB_Exception, FilterParamsCode,
                       "Expecting QuantTables entry " << i << " to be an array or string; found: " << TypeName(entry));
        }
        map[i] = (*count)++;
    }
}

void GLOB_Filter::ReadHuffTables(const GLOB_Object& huffTables, int32_t n, int32_t offset, int32_t* map,
                                 uint8_t (*tables)[FILT_DCTBase::HuffTableSize], int32_t* count) {
    GLIB_ASSERT(n >= 1 && n <= FILT_DCTBase::MaxColors);
    GLIB_ASSERT(offset == 0 || offset == 1);
    constexpr int32_t size = FILT_DCTBase::HuffTableSize;
    constexpr int32_t counts = FILT_DCTBase::HuffTableCounts;
    *count = 0;
    if (!huffTables.IsArray())
        GLIB_THROW(GLIB_Exception, FilterParamsCode,
                   "Expecting HuffTables DCT Parameter to be an array; found: " << TypeName(huffTables));
    const GLOB_Array array = huffTables.AsArray();
    if (array.Length() < static_cast<uint32_t>(2 * n))
        GLIB_THROW(GLIB_Exception, FilterParamsCode,
                   "Expecting HuffTables array to have " << 2 * n << " entries; found: " << array.Length());
    for (int32_t i = 0; i < n; ++i) {
        const int32_t index = 2 * i + offset;
        const GLOB_Object entry = array.Get(static_cast<uint32_t>(index));
        int32_t same = -1;
        for (int32_t j = 0; j < i && same < 0; ++j)
            if (array.Get(static_cast<uint32_t>(2 * j + offset)).IsDeepEqual(entry))
                same = j;
        if (same >= 0) {
            map[i] = map[same];
            continue;
        }
        uint8_t* table = tables[*count];
        std::fill(table, table + size, uint8_t{0});
        int32_t found = 0;
        if (entry.IsArray()) {
            const GLOB_Array values = entry.AsArray();
            found = static_cast<int32_t>(std::min<uint32_t>(values.Length(), size));
            for (int32_t k = 0; k < found; ++k) {
                const GLOB_Object value = values.Get(static_cast<uint32_t>(k));
                if (!value.IsInteger())
                    GLIB_THROW(GLIB_Exception, FilterParamsCode,
                               "Expecting HuffTables entries to be an array of integers; found "
                                   << TypeName(value) << " in entry " << k << " of HuffTable " << index);
                table[k] = static_cast<uint8_t>(value.AsInteger());
            }
        } else if (entry.Type() == GLOB_Object::KindString) {
            const GLOB_String bytes = entry.AsString();
            found = static_cast<int32_t>(std::min<size_t>(bytes.Length(), size));
            std::copy(bytes.Data(), bytes.Data() + found, table);
        } else {
            GLIB_THROW(GLIB_Exception, FilterParamsCode,
                       "Expecting HuffTables entry " << index << " to be an array or string; found: "
                                                     << TypeName(entry));
        }
        if (found < counts)
            GLIB_THROW(GLIB_Exception, FilterParamsCode,
                       "Expecting HuffTables entry " << index << " to have a length of at least " << counts
                                                     << "; found: " << found);
        int32_t expected = counts;
        for (int32_t k = 0; k < counts; ++k)
            expected += table[k];
        if (found != expected)
            GLIB_THROW(GLIB_Exception, FilterParamsCode,
                       "Expecting HuffTables entry " << index << " to have " << expected << " entries; found: "
                                                     << found);
        map[i] = (*count)++;
    }
}
