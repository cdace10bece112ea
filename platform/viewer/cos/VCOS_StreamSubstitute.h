// A hook of the writer: gives some streams other bytes and dictionary
// entries in the file than the store holds, without changing the store.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "viewer/cos/VCOS_Object.h"

struct VCOS_StreamImage {
    // The dictionary's entries as written (values are objects of the
    // stream's document); /Length is left out here and written from m_bytes.
    std::vector<std::pair<std::string, VCOS_Obj>> m_entries;
    // Entries written as this text after m_entries (such as
    // "/Filter /FlateDecode"), for values the document does not hold.
    std::string m_moreEntries;
    std::string m_bytes;
};

class VCOS_StreamSubstitute {
public:
    virtual ~VCOS_StreamSubstitute() = default;
    // True when stream is to be written as image instead of as stored.
    // May throw; the write then fails with that exception.
    virtual bool Substitute(VCOS_Obj stream, VCOS_StreamImage& image) const = 0;
};
