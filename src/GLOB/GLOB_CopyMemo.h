// Copies into one document that remember one another: an indirect object of
// another document, once copied, is that same copy at every later Copy,
// whatever object reached it, so a graph several copies share is written
// once. Direct objects are copied at each occurrence. A value handle: copies
// of the memo share what it remembers. It holds the document and every
// object it copied (and so their documents) while it lives.
#pragma once

#include "GLOB/GLOB_Doc.h"
#include "GLOB/GLOB_Impl.h"
#include "GLOB/GLOB_Object.h"

#include <memory>

class GLOB_CopyMemo {
public:
    // No document: Copy asserts.
    GLOB_CopyMemo() = default;
    explicit GLOB_CopyMemo(const GLOB_Doc& doc);

    // value itself when it is the document's (or Null); else its copy in the
    // document (GLOB_Impl::CopyObject), made again only for what no earlier
    // Copy of this memo reached.
    GLOB_Object Copy(const GLOB_Object& value) const;
    const GLOB_Doc& Doc() const { return m_doc; }

private:
    GLOB_Doc m_doc;
    std::shared_ptr<GLOB_Impl::CopyState> m_state;
};
