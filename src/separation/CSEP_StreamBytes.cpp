#include "separation/CSEP_StreamBytes.h"

#include <algorithm>

std::string CSEP_StreamBytes::Read(GLOB_Stream data, uint64_t limit) {
    std::string bytes;
    for (FILT_FilterBuffer* buffer = data.Read(); buffer->DataAvailable() > 0 && bytes.size() < limit;
         buffer = data.Read()) {
        const FILT_Size n = static_cast<FILT_Size>(std::min<uint64_t>(buffer->DataAvailable(), limit - bytes.size()));
        bytes.append(reinterpret_cast<const char*>(buffer->GetPtr()), n);
        buffer->AdvanceGetPtr(n);
    }
    data.Close();
    return bytes;
}
