// The page-structure back-end of a CPDF_Doc: the operations on pages that
// only the document's real owner can do well (create, delete, move). The
// host layer implements it over the host's page-level document;
// CPDF_MemoryImpl does for documents without a host.
//
// Lifetime: made with count 0; every CPDF_Doc holding the pointer counts 1
// (not atomic), and the last one to let go deletes it.
//
// What implementations must do:
// - AttachCosDoc: bind to the page-level document behind cosImpl, once that
//   document exists (after create or open); without one, throw
//   CPDF_Exception 1128026 "Opening a non-PDF Cos document as PDF document".
// - DetachCosDoc: told before the back-end closes; may do nothing.
// - CreatePage: make a page dictionary in doc's back-end whose "MediaBox"
//   is mediaBox, as page index (at or past the count: appended), and return
//   a view of it.
// - DeletePages: remove pages first to last, inclusive.
// - MovePage: move page index to target (0 the front; at or past the last
//   page the end).
// Each reports its own failures.
#pragma once

#include "CPDF/document/CPDF_Page.h"
#include "GLIB/GLIB_Geometry.h"

#include <cstdint>

class CPDF_Doc;
class GLOB_Impl;

class CPDF_Impl {
public:
    virtual ~CPDF_Impl();
    virtual void DeletePages(int first, int last) = 0;
    virtual void AttachCosDoc(GLOB_Impl* cosImpl) = 0;
    virtual void MovePage(int index, int target) = 0;
    virtual CPDF_Page CreatePage(const CPDF_Doc& doc, int index, const GLIB_Rect& mediaBox) = 0;
    virtual void DetachCosDoc(GLOB_Impl* cosImpl) = 0;

    uint32_t RefCount() const { return m_refCount; }
    void AddRef() { ++m_refCount; }
    // Asserts pImpl != NULL; when *pImpl is set, asserts a count above 0 and
    // counts down; at 0 deletes it and sets *pImpl to null.
    static void Release(CPDF_Impl** pImpl);

protected:
    CPDF_Impl() = default;
    CPDF_Impl(const CPDF_Impl&) = delete;
    CPDF_Impl& operator=(const CPDF_Impl&) = delete;

private:
    uint32_t m_refCount = 0;
};
