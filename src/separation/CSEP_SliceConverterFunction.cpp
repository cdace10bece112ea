#include "separation/CSEP_SliceConverter.h"

#include "CPDF/color/CPDF_Color.h"
#include "CPDF/function/CPDF_SampledFunction.h"
#include "CPDF/function/CPDF_StitchingFunction.h"
#include "GLIB/GLIB_Assert.h"
#include "GLIB/GLIB_Exception.h"
#include "GLIB/GLIB_New.h"
#include "GLOB/GLOB_MemoryStream.h"
#include "GLOB/GLOB_StreamLexer.h"
#include "GLOB/GLOB_StringStream.h"
#include "separation/CSEP_MultiWriter.h"
#include "separation/CSEP_Utils.h"

#include <limits>
#include <string>

namespace {

const char* const InvalidParameters = "Function has invalid parameters.";
const char* const ParseError = "Error parsing function.";

[[noreturn]] void Fail(const std::string& message) {
    throw GLIB_Exception(CSEP_SliceCode, message, __FILE__, __LINE__);
}

GLOB_Object Reals(const GLOB_Doc& doc, std::vector<double> values) { return CPDF_Color(values).MakeObject(&doc); }

// Element j of an exponential's C0 or C1, or the default when it is no array.
double Coefficient(const GLOB_Object& array, unsigned j, double otherwise) {
    if (!array.IsArray())
        return otherwise;
    const GLOB_Object value = array.Get(j);
    if (!value.IsNumber())
        Fail(InvalidParameters);
    return value.AsNumber();
}

void WriteSymbol(CSEP_MultiWriter& writer, const char* symbol) {
    writer.WriteSeparator();
    writer.WriteText(symbol);
}

}  // namespace

void CSEP_SliceConverter::SliceFunction(const GLOB_Object& object, std::vector<GLOB_Object>& out) {
    const CSEP_SlicedFunctions::Scope slicedOnce(JobContext().SlicedFunctions());
    out.clear();
    if (!object.IsArray()) {
        SliceSource(object, out);
        return;
    }
    std::vector<GLOB_Object> element;
    for (uint32_t k = 0; k < object.Length(); ++k) {
        const GLOB_Object function = object.Get(k);
        if (function.IsArray())
            Fail(InvalidParameters);
        SliceSource(function, element);
        if (element.empty())
            Fail(InvalidParameters);
        out.push_back(element[0]);
    }
}

void CSEP_SliceConverter::SliceSource(const GLOB_Object& object, std::vector<GLOB_Object>& out) {
    if (const std::vector<GLOB_Object>* sliced = JobContext().SlicedFunctions().Find(object)) {
        out = *sliced;
        return;
    }
    CPDF_Function function;
    try {
        function = CPDF_Function(object);
    } catch (const CPDF_FunctionNestingException&) {
        throw;
    } catch (const CPDF_Exception& e) {
        // The reader refuses a comment in a program, which the slicer's own
        // reading would refuse too.
        const GLOB_Object type = object.DictGet(GLOB_Name("FunctionType"));
        const bool program = type.IsInteger() && type.AsInteger() == CPDF_FunctionTypePostScript;
        Fail(std::string(program ? ParseError : InvalidParameters) + " " + e.What());
    }
    SliceRead(function, out);
}

void CSEP_SliceConverter::SliceRead(const CPDF_Function& function, std::vector<GLOB_Object>& out) {
    out.clear();
    const GLOB_Object object = function.Object();
    CSEP_SlicedFunctions& slicedOnce = JobContext().SlicedFunctions();
    if (const std::vector<GLOB_Object>* sliced = slicedOnce.Find(object)) {
        out = *sliced;
        return;
    }
    // Slices of a function that other places may name are indirect, so that
    // each place holds the same objects.
    const bool shared = object.IsIndirect();
    const unsigned n = function.RangeDimension();
    switch (function.FunctionType()) {
    case CPDF_FunctionTypeSampled:
        SliceSampledFunction(function, out);
        break;
    case CPDF_FunctionTypeExpInterp:
        SliceExponential(function, n, shared, out);
        break;
    case CPDF_FunctionTypeStitching:
        SliceStitching(function, n, shared, out);
        break;
    case CPDF_FunctionTypePostScript:
        SlicePostScriptFunction(function, out);
        break;
    default:
        Fail("Unknown function type.");
    }
    for (const GLOB_Object& sliced : out) {
        CSEP_Utils::CopyKey("FunctionType", object, sliced);
        CSEP_Utils::CopyKey("Domain", object, sliced);
    }
    if (object.Known(GLOB_Name("Range"))) {
        // The sliced function yields 1 - y, so its bounds are the mirrored pair.
        const CPDF_IntervalSet range = function.Range();
        for (unsigned j = 0; j < out.size() && j < range.NumIntervals(); ++j) {
            double min, max;
            range.Get(j, min, max);
            out[j].DictPut(GLOB_Name("Range"), Reals(Doc(), {1 - max, 1 - min}));
        }
    }
    slicedOnce.Add(object, out);
}

void CSEP_SliceConverter::SliceExponential(const CPDF_Function& function, unsigned n, bool indirect,
                                           std::vector<GLOB_Object>& out) {
    const GLOB_Object object = function.Object();
    const GLOB_Object c0 = object.DictGet(GLOB_Name("C0"));
    const GLOB_Object c1 = object.DictGet(GLOB_Name("C1"));
    for (const GLOB_Object* c : {&c0, &c1})
        if (c->IsArray() && c->Length() < n)
            Fail(InvalidParameters);
    const GLOB_Doc doc = Doc();
    for (unsigned j = 0; j < n; ++j) {
        const GLOB_Object dict = doc.NewDict(3, indirect);
        dict.DictPut(GLOB_Name("C0"), Reals(doc, {1 - Coefficient(c0, j, 0.0)}));
        dict.DictPut(GLOB_Name("C1"), Reals(doc, {1 - Coefficient(c1, j, 1.0)}));
        CSEP_Utils::CopyKey("N", object, dict);
        out.push_back(dict);
    }
}

void CSEP_SliceConverter::SliceStitching(const CPDF_Function& function, unsigned n, bool indirect,
                                         std::vector<GLOB_Object>& out) {
    const GLOB_Object object = function.Object();
    const GLOB_Object functions = object.DictGet(GLOB_Name("Functions"));
    if (!functions.IsArray())
        Fail(InvalidParameters);
    // The reader's sub-functions: a function named twice was read once.
    const CPDF_StitchingFunction stitching = function.AsStitching();
    const GLOB_Doc doc = Doc();
    std::vector<GLOB_Object> arrays;
    for (unsigned j = 0; j < n; ++j)
        arrays.push_back(doc.NewArray(functions.Length(), false));
    std::vector<GLOB_Object> sliced;
    for (uint32_t k = 0; k < functions.Length(); ++k) {
        SliceRead(stitching.Function(k), sliced);
        if (sliced.size() < n)
            Fail(InvalidParameters);
        for (unsigned j = 0; j < n; ++j)
            arrays[j].ArrayPut(k, sliced[j]);
    }
    for (unsigned j = 0; j < n; ++j) {
        const GLOB_Object dict = doc.NewDict(3, indirect);
        CSEP_Utils::CopyKey("Encode", object, dict);
        CSEP_Utils::CopyKey("Bounds", object, dict);
        dict.DictPut(GLOB_Name("Functions"), arrays[j]);
        out.push_back(dict);
    }
}

void CSEP_SliceConverter::SliceSampledFunction(const CPDF_Function& function, std::vector<GLOB_Object>& out) {
    out.clear();
    const CPDF_SampledFunction sampled = function.AsSampled();
    const GLOB_Object object = function.Object();
    const unsigned n = function.RangeDimension();
    const uint32_t bits = sampled.BitsPerSample();
    // 12-bit samples are read as their top 8 bits.
    const uint32_t outBits = bits == 12 ? 8 : bits;
    if (outBits != 1 && outBits != 2 && outBits != 4 && outBits % 8 != 0)
        Fail("Invalid bits per componnent " + std::to_string(bits));
    uint64_t points = 1;
    for (unsigned i = 0; i < function.DomainDimension(); ++i)
        points *= sampled.Size(i);
    if (points * n > static_cast<uint64_t>(std::numeric_limits<int32_t>::max()))
        Fail(InvalidParameters);
    if (n == 0)
        return;

    const GLOB_Doc doc = Doc();
    const CPDF_DecodeArray decode = sampled.Decode();
    std::vector<GLOB_Object> dicts;
    for (unsigned j = 0; j < n; ++j) {
        const GLOB_Object dict = doc.NewDict(4, false);
        for (const char* key : {"Size", "BitsPerSample", "Order", "Encode"})
            CSEP_Utils::CopyKey(key, object, dict);
        if (bits == 12)
            dict.DictPut(GLOB_Name("BitsPerSample"), doc.NewInteger(8));
        double d0, d1;
        decode.Get(j, d0, d1);
        dict.DictPut(GLOB_Name("Decode"), Reals(doc, {1 - d0, 1 - d1}));
        dicts.push_back(dict);
    }

    const uint32_t bytes = static_cast<uint32_t>((outBits * points + 7) / 8);
    std::vector<std::vector<uint8_t>> tables(n, std::vector<uint8_t>(bytes, 0));
    std::vector<GLOB_Stream> outputs;
    for (std::vector<uint8_t>& table : tables)
        outputs.emplace_back(GLIB_NEW GLOB_MemoryStream(table.data(), bytes, false));
    GLOB_Stream input = bits == 12 ? OpenAsBytes(object, static_cast<FILT_Size>(points * n), 12) : object.OpenStream(2);
    // The table's own size bounds the read: longer data would overrun it.
    const int32_t samples = static_cast<int32_t>(points * n);
    if (outBits < 8)
        SplitBits(input, outputs, outBits, true, samples);
    else
        SplitBytes(input, outputs, outBits / 8, true, samples);
    input.Close();
    for (GLOB_Stream& output : outputs)
        output.Close();
    for (unsigned j = 0; j < n; ++j) {
        const GLOB_Stream data(GLIB_NEW GLOB_MemoryStream(tables[j].data(), bytes, true));
        out.push_back(doc.NewStream(data, 1, dicts[j], GLOB_Object(), -1));
    }
}

void CSEP_SliceConverter::SlicePostScriptFunction(const CPDF_Function& function, std::vector<GLOB_Object>& out) {
    out.clear();
    const unsigned n = function.RangeDimension();
    if (n == 0)
        return;
    std::vector<CSEP_TempFile> files(n);
    std::vector<GLOB_Stream> streams;
    for (CSEP_TempFile& file : files) {
        file.Create();
        streams.push_back(file.OpenStream());
    }
    CSEP_MultiWriter writer;
    writer.SetStreams(streams);

    GLOB_Stream program = function.Object().OpenStream(2);
    GLOB_StreamLexer lexer(program);
    int depth = 0;
    do {
        switch (lexer.NextToken()) {
        case GLOB_StreamLexer::TokenBoolean:
            writer.WriteBoolean(lexer.BooleanValue());
            break;
        case GLOB_StreamLexer::TokenInteger:
            writer.WriteInteger(lexer.IntegerValue());
            break;
        case GLOB_StreamLexer::TokenFixed:
            writer.WriteReal(lexer.FixedValue());
            break;
        case GLOB_StreamLexer::TokenSymbol: {
            const std::string symbol = lexer.SymbolValue();
            depth += symbol == "{" ? 1 : symbol == "}" ? -1 : 0;
            // The closing brace comes after the selection of the output.
            if (symbol != "}" || depth != 0)
                WriteSymbol(writer, symbol.c_str());
            break;
        }
        default:
            Fail(ParseError);
        }
    } while (depth > 0);
    program.Close();

    // Switching the target resets the separator flag; the blank is shared.
    writer.WriteText(" ");
    for (unsigned j = 0; j < n; ++j) {
        writer.SetTarget(static_cast<int32_t>(j));
        // Copy output j to the top, roll it under the n outputs, pop them.
        writer.WriteInteger(static_cast<int32_t>(n - 1 - j));
        WriteSymbol(writer, "index");
        writer.WriteInteger(static_cast<int32_t>(n));
        writer.WriteInteger(1);
        WriteSymbol(writer, "add");
        writer.WriteInteger(1);
        WriteSymbol(writer, "roll");
        for (unsigned k = 0; k < n; ++k)
            WriteSymbol(writer, "pop");
        writer.WriteInteger(1);
        WriteSymbol(writer, "exch");
        WriteSymbol(writer, "sub");
        writer.WriteText(" }");
    }
    writer.Reset();
    for (CSEP_TempFile& file : files)
        out.push_back(file.MakeEmbeddedStream(Doc(), GLOB_Object(), GLOB_Object()));
}

GLOB_Object CSEP_SliceConverter::MakeConstantFunction(const GLOB_Object& domain, double value) {
    if (!domain.IsArray())
        Fail(std::string("Function domain should be type Array, encountered ") +
             GLOB_Object::TypeString(domain.Type()));
    const GLOB_Doc doc = Doc();
    const GLOB_Object dict = doc.NewDict(3, false);
    dict.DictPut(GLOB_Name("Domain"), doc.Copy(domain, true));
    dict.DictPut(GLOB_Name("FunctionType"), doc.NewInteger(0));
    dict.DictPut(GLOB_Name("Range"), Reals(doc, {value, value}));
    const uint32_t inputs = domain.Length() / 2;
    const GLOB_Object size = doc.NewArray(inputs, false);
    for (uint32_t i = 0; i < inputs; ++i)
        size.ArrayPut(i, doc.NewInteger(1));
    dict.DictPut(GLOB_Name("Size"), size);
    dict.DictPut(GLOB_Name("BitsPerSample"), doc.NewInteger(8));
    return doc.NewStream(GLOB_Stream(GLIB_NEW GLOB_StringStream(std::string(1, '\xFF'))), 1, dict, GLOB_Object(), -1);
}
