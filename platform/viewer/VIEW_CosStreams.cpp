// Cos slots 14 and 30 to 33: streams made from a host stream and read as
// memory streams.
#include "viewer/VIEW_Cos.h"

#include "viewer/VIEW_CosErrors.h"
#include "viewer/VIEW_CosHandles.h"
#include "viewer/VIEW_Streams.h"
#include "viewer/cos/VCOS_StreamDecoder.h"
#include "viewer/cos/VCOS_StreamMaker.h"

namespace {

VCOS_Obj Obj(PDFL_CosObj obj) { return VIEW_ObjFromCos(obj); }
PDFL_CosObj Cos(VCOS_Obj obj) { return VIEW_CosFromObj(obj); }

// The host stream from where it stands to its end.
std::string ReadToEnd(PDFL_ASStm source) {
    std::string bytes;
    char buffer[VIEW_Streams::ProcedureBufferSize];
    while (const uint32_t got = VIEW_Streams::Read(buffer, 1, sizeof buffer, source))
        bytes.append(buffer, got);
    return bytes;
}

}  // namespace

PDFL_CosObj VIEW_Cos::NewStream(PDFL_CosDoc doc, PDFL_Bool indirect, PDFL_ASStm source, int32_t start,
                                PDFL_Bool encoded, PDFL_CosObj attributes, PDFL_CosObj encodeParams,
                                int32_t) {
    if (!source)
        throw VIEW_AssertionFailure("CosNewStream without a source stream");
    if (start != -1 && start != 0)
        throw VIEW_AssertionFailure("CosNewStream from position " + std::to_string(start) +
                                    " of a stream that cannot seek");
    const std::string bytes = ReadToEnd(source);
    return VIEW_CosGuard([&] {
        return Cos(VCOS_StreamMaker::Make(Store(), VIEW_DocIdFromCosDoc(doc), indirect != 0, bytes,
                                          encoded != 0, Obj(attributes), Obj(encodeParams)));
    });
}

int32_t VIEW_Cos::StreamLength(PDFL_CosObj stream) {
    return VIEW_CosGuard([&] { return static_cast<int32_t>(Store().StreamLength(Obj(stream))); });
}

PDFL_CosObj VIEW_Cos::StreamDict(PDFL_CosObj stream) {
    return VIEW_CosGuard([&] { return Cos(Store().StreamDict(Obj(stream))); });
}

PDFL_ASStm VIEW_Cos::StreamOpenStm(PDFL_CosObj stream, uint16_t mode) {
    if (mode > 2)
        throw VIEW_AssertionFailure("CosStreamOpenStm in mode " + std::to_string(mode));
    std::string bytes = VIEW_CosGuard([&] {
        return mode == 2 ? VCOS_StreamDecoder::Decode(Store(), Obj(stream)) : Store().StreamBytes(Obj(stream));
    });
    return VIEW_Streams::OpenMemory(std::move(bytes));
}

int32_t VIEW_Cos::StreamPos(PDFL_CosObj stream) {
    return VIEW_CosGuard([&] {
        Store().StreamBytes(Obj(stream));  // only a stream has a position
        return 0;
    });
}
