// The records behind the PD layer's handles, shared by its documents and
// pages (VIEW_PD.h). Only VIEW_PDDocs.cpp and VIEW_PDPages.cpp use them.
#pragma once

#include "viewer/VIEW_HandleTable.h"
#include "viewer/cos/VCOS_Object.h"
#include "viewer/host_api.h"

#include <string>

struct VIEW_PDDocRecord {
    PDFL_CosDoc m_cosDoc = nullptr;
    int32_t m_flags = 0;
    int32_t m_opens = 1;
    // A document opened from a host file is shared by later opens of the
    // same path while it is open.
    std::string m_sharedPath;
    PDFL_ASFile m_file = nullptr;
    // Where the document came from or was last saved to; empty when neither.
    std::string m_path;
    PDFL_ASFileSys m_fileSys = nullptr;
};

struct VIEW_PDPageRecord {
    PDFL_PDDoc m_doc = nullptr;
    VCOS_Obj m_dict;
    int32_t m_acquires = 1;
};

VIEW_HandleTable<PDFL_PDDoc, VIEW_PDDocRecord>& VIEW_PDDocs();
VIEW_HandleTable<PDFL_PDPage, VIEW_PDPageRecord>& VIEW_PDPages();
// Forgets every page handle of doc, held or not (its document closes).
void VIEW_PDForgetPages(PDFL_PDDoc doc);
// Drops the page drawer's written copy of doc (its document closes), and
// the drawer itself (the host resets).
void VIEW_PDForgetDrawing(VCOS_DocId doc);
void VIEW_PDResetDrawing();
