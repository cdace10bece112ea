#include "GLOB/GLOB_Filter.h"

#include "FILT/FILT_DCTEncode.h"
#include "FILT/FILT_FilterPipe.h"
#include "FILT/FILT_PredictDecode.h"
#include "GLOB_TestUtil.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <memory>
#include <tuple>

namespace {

std::unique_ptr<FILT_Filter> Chain(const std::string& filter, const std::string& parms, bool decode) {
    const GLOB_Doc doc = GLOB_ObjectFactory::MemoryDoc();
    return std::unique_ptr<FILT_Filter>(
        GLOB_Filter::MakeFilterChain(doc.ParseObject(filter.c_str()), doc.ParseObject(parms.c_str()), decode));
}

// "ASCII85Decode" style names; a pipe as "(a b c)".
std::string Shape(const FILT_Filter* f) {
    if (f == nullptr)
        return "null";
    if (const auto* pipe = dynamic_cast<const FILT_FilterPipe*>(f)) {
        std::string s;
        for (size_t i = 0; i < pipe->NumFilters(); ++i)
            s += (i ? " " : "(") + Shape(pipe->FilterAt(i));
        return s + ")";
    }
    return std::string(f->Name()).substr(5);
}

std::string Repeat(const std::string& text, int n) {
    std::string s;
    for (int i = 0; i < n; ++i)
        s += text;
    return s;
}

// 16 counts adding up to 12, then 12 symbols.
const std::string Huff12 = "[0 1 5 1 1 1 1 1 1 0 0 0 0 0 0 0 0 1 2 3 4 5 6 7 8 9 10 11] ";
const std::string DCT3 = "/Colors 3 /Columns 8 /Rows 8 ";

}  // namespace

TEST(GLOB_Filter, BuildsTheChainShapes) {
    const struct {
        const char* filter;
        const char* parms;
        bool decode;
        const char* shape;
    } cases[] = {
        {"/FlateDecode", "null", true, "FlateDecode"},
        {"[/FlateDecode]", "[null]", true, "FlateDecode"},
        {"[]", "null", true, "null"},
        {"/FlateDecode", "<< /Predictor 12 /Columns 5 >>", true, "(FlateDecode PredictDecode)"},
        {"/FlateDecode", "<< /Predictor 12 /Columns 5 >>", false, "(PredictEncode FlateEncode)"},
        {"[/ASCII85Decode /FlateDecode]", "[null << /Predictor 12 >>]", true,
         "(ASCII85Decode FlateDecode PredictDecode)"},
        {"[/ASCII85Decode /FlateDecode]", "[null << /Predictor 12 >>]", false,
         "(PredictEncode FlateEncode ASCII85Encode)"},
        // A dictionary serves the first name only.
        {"[/FlateDecode /FlateDecode]", "<< /Predictor 2 >>", true, "(FlateDecode PredictDecode FlateDecode)"},
        // A short array leaves the rest empty; extra elements are ignored.
        {"[/RunLengthDecode /ASCIIHexDecode]", "[]", true, "(RunLengthDecode ASCIIHexDecode)"},
        {"/DCTDecode", "[null 5]", true, "DCTDecode"},
        {"[/CCITTFaxDecode /DCTDecode]", "[null null]", true, "(CCITTFaxDecode DCTDecode)"},
        {"[/RunLengthDecode /ASCIIHexDecode /CCITTFaxDecode]", "null", false,
         "(CCITTFaxEncode ASCIIHexEncode RunLengthEncode)"},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(Shape(Chain(cases[i].filter, cases[i].parms, cases[i].decode).get()), cases[i].shape);
    }
    const auto chain = Chain("/FlateDecode", "<< /Predictor 12 /Columns 5 >>", true);
    const auto& p = static_cast<FILT_PredictDecode*>(static_cast<FILT_FilterPipe*>(chain.get())->FilterAt(1))
                        ->Parameters();
    EXPECT_EQ(std::make_tuple(p.predictor, p.columns, p.colors, p.bitsPerComponent), std::make_tuple(12, 5u, 1u, 8u));
    // CCITT options it cannot honour are logged, not refused.
    const LogCapture log;
    EXPECT_EQ(Shape(Chain("/CCITTFaxDecode", "<< /K 1 /DamagedRowsBeforeError 2 >>", true).get()), "CCITTFaxDecode");
    EXPECT_TRUE(log.Contains(4, "CCITTFax: K value of 1 (G3-2D) not supported"));
    EXPECT_TRUE(log.Contains(4, "CCITTFax: non zero DamagedRowsBeforeError not supported, ignoring"));
}

TEST(GLOB_Filter, RefusesBadSpecificationsWithExactMessages) {
    struct Case {
        std::string filter, parms;
        bool decode;
        std::string failure;
    };
    std::vector<Case> cases = {
        {"/JBIG2Decode", "null", true, "1151005 Unrecognized filter: JBIG2Decode"},
        {"/" + std::string(70, 'X'), "null", true,
         "1151005 Unrecognized filter: " + std::string(64, 'X') + "... (70 bytes)"},
        // The chain built before the failing name is released.
        {"[/FlateDecode /A85]", "null", true, "1151005 Unrecognized filter: A85"},
        {"[/FlateDecode 3]", "null", true, "1151009 Filters must be specified as names. Filter 1 was a Integer"},
        {"null", "null", true, "1151008 Filter specification must be a name or an array of names; found Null"},
        {"/FlateDecode", "[5]", true,
         "1151009 Filter parameters must be specified as dictionaries. Filter 0 was a Integer"},
        {"/FlateDecode", "/X", true, "1151009 Filter parameters must be a dict or an array of dicts; found Name"},
        {"/FlateDecode", "<< /Predictor /Up >>", true, "1151006 Expecting Predictor to be an integer, found a Name"},
        {"/FlateDecode", "<< /Predictor 12 /Columns 2147483647 >>", false, "1130013 FILT_PredictEncode: a row of "
         "2147483647 columns of 1 colors at 8 bits is 2147483647 bytes, more than 16777216"},
        // Negative counts are refused with the number the file holds.
        {"/FlateDecode", "<< /Predictor 12 /Columns -1 >>", false,
         "1130013 FILT_PredictEncode: Columns must be at least 1, not -1"},
        {"/FlateDecode", "<< /Predictor 2 /Colors -3 >>", true,
         "1130012 FILT_PredictDecode: Colors must be 1 to 256, not -3"},
        {"/FlateDecode", "<< /Predictor 15 /BitsPerComponent -8 /Columns -2147483648 >>", true,
         "1130012 FILT_PredictDecode: BitsPerComponent must be 1, 2, 4, 8 or 16, not -8"},
        {"/FlateDecode", "<< /Predictor 10 /Columns -2147483648 >>", true,
         "1130012 FILT_PredictDecode: Columns must be at least 1, not -2147483648"},
        {"/FlateDecode", "<< /Predictor 7 /Colors -1 >>", true, "1130012 Unrecognized Prediction: 7"},
        {"/CCITTFaxDecode", "<< /K /x >>", true, "1151006 Expecting K to be an integer, found a Name"},
        {"/DCTDecode", "<< /ColorTransform 2 >>", true, "1130007 FILT_DCTDecode: ColorTransform must be 0 or 1, not 2"},
        {"/DCTDecode", "<< /Columns 8 /Rows 8 >>", false, "1151007 Unable to find Colors"},
        {"/DCTDecode", "<< /Colors 5 /Columns 8 /Rows 8 >>", false,
         "1130008 FILT_DCTEncode: Colors must be from 1 to 4, not 5"},
    };
    // DCT encoding parameters of three colours, refused with 1151009.
    const std::string q = "[" + Repeat("1 ", 64) + "] ", h = Huff12;
    const std::string dct[][2] = {
        {"/HSamples [1 5 1]", "Expecting HSamples values to be in the range 1-4. Found 5"},
        {"/HSamples [2 2 2] /VSamples [2 2 2]", "Sum of products of HSamples and VSamples must be <= 10. Found: 12"},
        {"/VSamples [1 1]", "Expecting VSamples array to have 3 entries. Found 2"},
        {"/HSamples [1 1.0 1]", "Expecting HSamples to be an array of integers. Found Real in entry 1"},
        {"/HSamples (ab)",
         "Expecting HSamples string to have a length of 3 characters. Found a length of 2characters."},
        {"/HSamples 1", "Expecting HSamples DCT Parameter to be array or string, found: Integer"},
        {"/QFactor -0.5", "Expecting QFactor to be in the range 0-1e+06. Found -0.5"},
        {"/QuantTables 5", "Expecting QuantTables DCT Parameter to be an array; found: Integer"},
        {"/QuantTables [[1]]", "Expecting QuantTables array to have 3 entries; found: 1"},
        {"/QuantTables [[1 2] 1 1]", "Expecting QuantTables entry 0 array to have a length of 64; found: 2"},
        {"/QuantTables [[" + Repeat("/n ", 64) + "] 1 1]",
         "Expecting QuantTables entries to be an array of numbers; found Name in entry 0 of QuantTable 0"},
        {"/QuantTables [" + q + " (abc) 1]", "Expecting QuantTables entry 1 string to have a length of 64; found: 3"},
        {"/QuantTables [" + q + q + " true]", "Expecting QuantTables entry 2 to be an array or string; found: Boolean"},
        {"/HuffTables [1 2 3 4 5]", "Expecting HuffTables array to have 6 entries; found: 5"},
        {"/HuffTables [[1 2] 0 0 0 0 0]", "Expecting HuffTables entry 0 to have a length of at least 16; found: 2"},
        {"/HuffTables [" + h.substr(0, h.size() - 5) + "] 0 0 0 0 0]",
         "Expecting HuffTables entry 0 to have 28 entries; found: 27"},
        {"/HuffTables [" + h + " [1.5] " + h + " 0 " + h + " 0]",
         "Expecting HuffTables entries to be an array of integers; found Real in entry 0 of HuffTable 1"},
        {"/HuffTables [" + h + h + " /x 0 0 0]", "Expecting HuffTables entry 2 to be an array or string; found: Name"},
    };
    for (const auto& [parms, message] : dct)
        cases.push_back({"/DCTDecode", "<< " + DCT3 + parms + " >>", false, "1151009 " + message});
    for (size_t i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(Failure([&] { Chain(cases[i].filter, cases[i].parms, cases[i].decode); }), cases[i].failure);
    }
}

TEST(GLOB_Filter, SetsTheDCTEncodingParameters) {
    const std::string a = "[" + Repeat("2 ", 64) + "] ", b = "[" + Repeat("3.5 ", 64) + "] ", h = Huff12;
    // Equal tables are shared; AC tables are the odd entries of HuffTables.
    const auto chain = Chain("/DCTDecode", "<< /Colors 4 /Columns 8 /Rows 8 /HSamples [2 1 1 2] "
                             "/VSamples (\\002\\001\\001\\001) /QFactor 0.5 /QuantTables [" + a + a + b + b +
                             "] /HuffTables [" + h + h + h + " (" + Repeat("\\000", 15) + "\\001A) " + h + h + h +
                             h + "] >>", false);
    const auto& dct = dynamic_cast<const FILT_DCTEncode&>(*chain);
    std::string components;  // per component: h v quant ac dc
    for (int32_t i = 0; i < 4; ++i) {
        const FILT_DCTBase::Component& c = dct.ComponentParams(i);
        for (int32_t value : {c.hSamples, c.vSamples, c.quantTable, c.acHuffTable, c.dcHuffTable})
            components += std::to_string(value);
        components += ' ';
    }
    EXPECT_EQ(components, "22000 11010 11100 21100 ");
    EXPECT_EQ(dct.QuantTable(1)[63], 3.5f);
    EXPECT_EQ(dct.ACHuffTable(1)[16], 'A');
    EXPECT_EQ(dct.QFactor(), 0.5f);
    EXPECT_EQ(dct.ColorTransform(), 0);
    EXPECT_EQ(dynamic_cast<FILT_DCTEncode&>(*Chain("/DCTDecode", "<< " + DCT3 + ">>", false)).ColorTransform(), 1);
}
