// The filter-chain factory: turns a stream's /Filter and /DecodeParms into
// one FILT_Filter chain, of decoders to read the data or of encoders to write
// it. Stateless: static operations only.
//
// Known names (case-sensitive; abbreviations are refused): ASCII85Decode,
// ASCIIHexDecode, CCITTFaxDecode, DCTDecode, FlateDecode and LZWDecode (a
// predictor follows the decoder, or precedes the Flate encoder, when
// /Predictor is not 1; LZW decodes only), RunLengthDecode. The ASCII encoders end lines with a
// carriage return, ASCII85 after 64 characters and ASCIIHex after 32 bytes.
//
// Failures throw GLIB_Exception and abandon (delete) the chain built so far:
//   1151005 "Unrecognized filter: <name>";
//   1151008 a /Filter that is neither a Name nor an Array;
//   1151009 every other malformed /Filter, /DecodeParms or DCT encoding
//           parameter (the message names the key and what was found);
//   1151006, 1151007 a parameter of the wrong kind, a required one missing
//           (the typed reads of GLOB_Dict);
//   the filters' own 1130xxx codes for values outside their limits (DCT at
//   build time; CCITT at the first ProcessBytes, as the CCITT filters keep
//   refused parameters until then).
#pragma once

#include "FILT/FILT_DCTBase.h"
#include "FILT/FILT_Filter.h"
#include "GLOB/GLOB_Dict.h"
#include "GLOB/GLOB_Name.h"
#include "GLOB/GLOB_Object.h"

#include <cstdint>

class GLOB_Filter {
public:
    // Directions of MakeFilter.
    enum : uint32_t { Encoding = 0, Decoding = 1 };

    enum : uint32_t {
        UnknownFilterCode = 1151005,
        FilterSpecCode = 1151008,
        FilterParamsCode = 1151009,
    };

    // The largest sum over the components of HSamples x VSamples (JPEG's
    // limit on blocks per MCU).
    static constexpr int32_t MaxSamplingSum = 10;

    // One filter, or a pipe of several, for filter (a Name or an Array of
    // Names) with decodeParms (Null, a Dict for the first name, or an Array
    // of Dicts and Nulls). decode non-zero: decoders in array order;
    // 0: encoders in reverse order. Null for an empty array. The caller owns
    // the result.
    static FILT_Filter* MakeFilterChain(const GLOB_Object& filter, const GLOB_Object& decodeParms, uint32_t decode);
    // The decoders of any stream read decoded, for the separation or the
    // drawing: their loss is logged as they finish, and a decoder's damaged
    // data end where it fails (a FILT_LossTeller, which this returns); null
    // for none.
    static FILT_Filter* MakeReadingChain(const GLOB_Object& filter, const GLOB_Object& decodeParms);
    // chain (owned, may be null) followed by the filter of name with params;
    // direction Decoding makes a decoder, any other value an encoder.
    static FILT_Filter* MakeFilter(FILT_Filter* chain, const GLOB_Name& name, const GLOB_Dict& params,
                                   uint32_t direction);

    // chain (owned, may be null) followed by the Flate decoder or encoder and,
    // when /Predictor is not 1, its predictor filter.
    static FILT_Filter* MakeFlateDecode(const GLOB_Dict& params, FILT_Filter* chain);
    static FILT_Filter* MakeFlateEncode(const GLOB_Dict& params, FILT_Filter* chain);
    // The same for the LZW decoder (EarlyChange, then the predictor).
    static FILT_Filter* MakeLZWDecode(const GLOB_Dict& params, FILT_Filter* chain);
    // chain (owned, may be null) followed by a DCT encoder set from params:
    // Colors, Columns, Rows (required), HSamples, VSamples, QFactor,
    // QuantTables, HuffTables, ColorTransform.
    static FILT_Filter* MakeDCTEncode(const GLOB_Dict& params, FILT_Filter* chain);

    // The n (1 to FILT_DCTBase::MaxColors, asserted) sampling factors under
    // key: an Array of Integers or a String of bytes, each 1 to 4; all 1 when
    // absent.
    static void ReadSamplingArray(const GLOB_Dict& params, const char* key, int32_t n, int32_t* out);
    // The distinct tables of a QuantTables array (64 numbers, or a String of
    // 64 bytes read as unsigned) into tables, their number into *count, and
    // per component the index of its table into map. A table deeply equal to
    // an earlier component's is shared.
    static void ReadQuantTables(const GLOB_Object& quantTables, int32_t n, int32_t* map,
                                float (*tables)[FILT_DCTBase::QuantTableSize], int32_t* count);
    // As ReadQuantTables for the DC (offset 0) or AC (offset 1) tables of a
    // HuffTables array, whose entries 2i + offset belong to component i. A
    // table is 16 counts and exactly as many symbols as they add up to, at
    // most FILT_DCTBase::HuffTableSize values, stored as bytes.
    static void ReadHuffTables(const GLOB_Object& huffTables, int32_t n, int32_t offset, int32_t* map,
                               uint8_t (*tables)[FILT_DCTBase::HuffTableSize], int32_t* count);
};
