#include "viewer/cos/VCOS_StreamMaker.h"

#include <vector>

#include <zlib.h>

#include "viewer/cos/VCOS_Error.h"
#include "viewer/cos/VCOS_FlateWriter.h"
#include "viewer/cos/VCOS_Syntax.h"

namespace {

[[noreturn]] void Fail(VCOS_ErrorKind kind, const std::string& text) {
    throw VCOS_Error(kind, "VCOS_StreamMaker: " + text);
}

std::vector<std::string> FilterNames(const VCOS_Store& store, VCOS_Obj filter) {
    switch (store.Type(filter)) {
    case VCOS_Type::Null: return {};
    case VCOS_Type::Name: return {store.NameValue(filter)};
    case VCOS_Type::Array: {
        std::vector<std::string> names;
        for (uint32_t i = 0; i < store.ArrayLength(filter); ++i) {
            const VCOS_Obj name = store.ArrayGet(filter, i);
            if (store.Type(name) != VCOS_Type::Name)
                Fail(VCOS_ErrorKind::Unsupported, "/Filter element " + std::to_string(i) + " is not a name");
            names.push_back(store.NameValue(name));
        }
        return names;
    }
    default: Fail(VCOS_ErrorKind::Unsupported, "/Filter is neither a name nor an array");
    }
}

VCOS_Obj ParmsOf(const VCOS_Store& store, VCOS_Obj parms, size_t index) {
    if (store.Type(parms) == VCOS_Type::Array)
        return index < store.ArrayLength(parms) ? store.ArrayGet(parms, static_cast<uint32_t>(index)) : VCOS_NullObj;
    return index == 0 ? parms : VCOS_NullObj;
}

void CheckNoPredictor(const VCOS_Store& store, VCOS_Obj parms) {
    if (store.Type(parms) != VCOS_Type::Dict)
        return;
    const VCOS_Obj predictor = store.DictGet(parms, "Predictor");
    const VCOS_Type type = store.Type(predictor);
    if ((type == VCOS_Type::Integer || type == VCOS_Type::Real) && store.NumberValue(predictor) > 1)
        Fail(VCOS_ErrorKind::Unsupported, "cannot encode /FlateDecode with /Predictor " +
                                              std::to_string(store.IntegerValue(predictor)));
}

std::string Deflate(const std::string& source) {
    std::string out;
    VCOS_FlateWriter flate(out, Z_DEFAULT_COMPRESSION);
    if (!flate.Add(source.data(), source.size()) || !flate.Finish())
        Fail(VCOS_ErrorKind::Unsupported, "zlib failed to deflate (" + std::to_string(flate.Status()) + ")");
    return out;
}

}  // namespace

VCOS_Obj VCOS_StreamMaker::Make(VCOS_Store& store, VCOS_DocId doc, bool indirect, const std::string& source,
                                bool sourceIsEncoded, VCOS_Obj attributes, VCOS_Obj encodeParms) {
    if (attributes.IsNullHandle())
        attributes = store.NewDict(doc, /*indirect=*/false);
    if (store.Type(attributes) != VCOS_Type::Dict)
        Fail(VCOS_ErrorKind::BadObject, "the attribute dictionary " + VCOS_Describe(attributes) + " is not a dictionary");
    if (sourceIsEncoded)
        return store.NewStream(doc, indirect, source, attributes);

    const std::vector<std::string> filters = FilterNames(store, store.DictGet(attributes, "Filter"));
    const VCOS_Obj parms = store.Type(encodeParms) != VCOS_Type::Null ? encodeParms
                                                                       : store.DictGet(attributes, "DecodeParms");
    for (size_t i = 0; i < filters.size(); ++i) {
        if (filters[i] != "FlateDecode")
            Fail(VCOS_ErrorKind::Unsupported, "cannot encode with the filter " + VCOS_FormatName(filters[i]));
        CheckNoPredictor(store, ParmsOf(store, parms, i));
    }
    std::string stored = source;
    for (size_t i = filters.size(); i-- > 0;)
        stored = Deflate(stored);
    return store.NewStream(doc, indirect, stored, attributes);
}
