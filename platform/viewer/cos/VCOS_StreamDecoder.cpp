#include "viewer/cos/VCOS_StreamDecoder.h"

#include <memory>
#include <new>

#include <qpdf/Buffer.hh>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFExc.hh>
#include <qpdf/QPDFObjectHandle.hh>

#include "viewer/cos/VCOS_Error.h"
#include "viewer/cos/VCOS_Syntax.h"

namespace {

[[noreturn]] void Fail(const std::string& text) {
    throw VCOS_Error(VCOS_ErrorKind::Unsupported, "VCOS_StreamDecoder: " + text);
}

// The value for the scratch file: references are replaced by what they name.
QPDFObjectHandle ToQpdf(const VCOS_Store& store, VCOS_Obj obj, int depth) {
    if (depth > VCOS_MaxDepth)
        Fail("filter parameters nested deeper than " + std::to_string(VCOS_MaxDepth));
    const VCOS_Entry& entry = store.Entry(obj);
    switch (entry.m_type) {
    case VCOS_Type::Integer: return QPDFObjectHandle::newInteger(entry.m_integer);
    case VCOS_Type::Real: return QPDFObjectHandle::newReal(VCOS_FormatReal(entry.m_real));
    case VCOS_Type::Boolean: return QPDFObjectHandle::newBool(entry.m_boolean);
    case VCOS_Type::Name: return QPDFObjectHandle::newName("/" + entry.m_bytes);
    case VCOS_Type::String: return QPDFObjectHandle::newString(entry.m_bytes);
    case VCOS_Type::Array: {
        QPDFObjectHandle array = QPDFObjectHandle::newArray();
        for (const VCOS_Obj item : *entry.m_items)
            array.appendItem(ToQpdf(store, item, depth + 1));
        return array;
    }
    case VCOS_Type::Dict: {
        QPDFObjectHandle dict = QPDFObjectHandle::newDictionary();
        for (const auto& [key, value] : entry.m_entries)
            dict.replaceKey("/" + key, ToQpdf(store, value, depth + 1));
        return dict;
    }
    case VCOS_Type::Null:
    case VCOS_Type::Stream: break;
    }
    return QPDFObjectHandle::newNull();
}

std::string Decoded(const VCOS_Store& store, VCOS_Obj stream, const std::string& stored) {
    const VCOS_Obj dict = store.StreamDict(stream);
    QPDF scratch;
    scratch.setSuppressWarnings(true);
    scratch.emptyPDF();
    QPDFObjectHandle qstream = QPDFObjectHandle::newStream(&scratch, stored);
    QPDFObjectHandle qdict = qstream.getDict();
    qdict.replaceKey("/Filter", ToQpdf(store, store.DictGet(dict, "Filter"), 0));
    qdict.replaceKey("/DecodeParms", ToQpdf(store, store.DictGet(dict, "DecodeParms"), 0));
    std::shared_ptr<Buffer> data = qstream.getStreamData(qpdf_dl_all);
    return std::string(reinterpret_cast<const char*>(data->getBuffer()), data->getSize());
}

}  // namespace

std::string VCOS_StreamDecoder::Decode(const VCOS_Store& store, VCOS_Obj stream) {
    const std::string& stored = store.StreamBytes(stream);
    const VCOS_Obj filter = store.DictGet(store.StreamDict(stream), "Filter");
    if (store.Type(filter) == VCOS_Type::Null)
        return stored;
    try {
        return Decoded(store, stream, stored);
    } catch (const VCOS_Error&) {
        throw;
    } catch (const std::bad_alloc&) {
        throw;
    } catch (const std::exception& error) {
        std::string names;
        if (store.Type(filter) == VCOS_Type::Name)
            names = VCOS_FormatName(store.NameValue(filter));
        for (uint32_t i = 0; store.Type(filter) == VCOS_Type::Array && i < store.ArrayLength(filter); ++i)
            if (store.Type(store.ArrayGet(filter, i)) == VCOS_Type::Name)
                names += (names.empty() ? "" : " ") + VCOS_FormatName(store.NameValue(store.ArrayGet(filter, i)));
        Fail("cannot decode " + VCOS_Describe(stream) + " through " + names + ": " + error.what());
    }
}
