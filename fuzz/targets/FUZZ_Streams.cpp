// Stream dictionaries from the input: the filter-chain factory driven by a
// parsed /Filter and /DecodeParms, and the memory back-end storing and
// reading back stream data through them.
#include "FILT/FILT_Filter.h"
#include "FUZZ_Input.h"
#include "FUZZ_TargetList.h"
#include "support/GLOB_ChunkedCore.h"
#include "GLOB/GLOB_Doc.h"
#include "GLOB/GLOB_Filter.h"
#include "GLOB/GLOB_Memory_Impl.h"
#include "GLOB/GLOB_ObjectFactory.h"
#include "GLOB/GLOB_Stream.h"

#include <memory>

namespace {

// The first byte gives the length of a dictionary text that follows.
GLOB_Object TakeDict(FUZZ_Input& in) {
    const size_t n = in.Byte();
    std::string text;
    for (size_t i = 0; i < n; ++i)
        text += static_cast<char>(in.Byte());
    return GLOB_ObjectFactory::MemoryDoc().ParseObject(text);
}

// Reads a stream to its end, or to the fuzzing bound.
void Drain(GLOB_Stream stream) {
    size_t total = 0;
    for (FILT_FilterBuffer* buf = stream.Read(); buf->DataAvailable() > 0 || !buf->IsEOD(); buf = stream.Read()) {
        total += buf->DataAvailable();
        buf->AdvanceGetPtr(buf->DataAvailable());
        if (total > FUZZ_Input::MaxOutput)
            break;
    }
    stream.Close();
}

}  // namespace

void FUZZ_FilterChain(const uint8_t* data, size_t size) {
    FUZZ_Input in(data, size);
    const GLOB_Object dict = TakeDict(in);
    if (!dict.IsDict())
        return;
    const uint32_t direction = in.Byte() & 1;
    std::unique_ptr<FILT_Filter> chain(
        GLOB_Filter::MakeFilterChain(dict.DictGet(GLOB_Name("Filter")), dict.DictGet(GLOB_Name("DecodeParms")),
                                     direction));
    if (chain)
        FUZZ_Decode(*chain, in, FUZZ_Input::MaxChainOutput);
}

void FUZZ_MemoryStream(const uint8_t* data, size_t size) {
    FUZZ_Input in(data, size);
    const GLOB_Object dict = TakeDict(in);
    if (!dict.IsDict() && !dict.IsNull())
        return;
    const int32_t encoded = in.Byte() & 1;
    const int32_t openFlags = in.Byte() % 3;
    // Small copy buffers make the back-end spill to temporary files.
    struct CopyBufferScope {
        uint32_t saved = GLOB_Memory_Impl::CopyBufferSize();
        ~CopyBufferScope() { GLOB_Memory_Impl::SetCopyBufferSize(saved); }
    } scope;
    GLOB_Memory_Impl::SetCopyBufferSize(16u + in.Byte() * 64u);
    const std::vector<size_t> sizes = in.ChunkSizes();
    GLOB_Stream source(new GLOB_ChunkedCore(in.Rest(), sizes, GLOB_StreamCore::Input));
    const GLOB_Doc doc = GLOB_ObjectFactory::MemoryDoc();
    const GLOB_Object stream = doc.NewStream(source, encoded, dict, GLOB_Object(), 0);
    Drain(stream.OpenStream(openFlags));
}
