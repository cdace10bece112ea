#include "BackEndFixture.h"
#include "support/PdfText.h"

#include "hostpdf/COSF_PDFL_Library.h"
#include "viewer/VIEW_Recorder.h"

#include <cstdio>

GLOB_Doc HostBackEndTest::NewPdfDoc() {
    GLOB_Doc doc = COSF_PDFL_NewDoc();
    doc.Create("%PDF-1.3", 1);
    return doc;
}

std::string MinimalPdf(const std::string& header, const std::string& catalogEntries) {
    return PdfText(header, {
                               "<< /Type /Catalog /Pages 2 0 R " + catalogEntries + " >>",
                               "<< /Type /Pages /Kids [] /Count 0 >>",
                           });
}

uint32_t CodeOf(const std::function<void()>& work) {
    try {
        work();
    } catch (const GLIB_Exception& e) {
        return e.Code();
    }
    return 0;
}

size_t CountCalls(int table, int slot) {
    size_t count = 0;
    for (const VIEW_Call& call : VIEW_Recorder::Calls())
        count += call.m_table == table && call.m_slot == slot;
    return count;
}

std::vector<std::string> Texts(const std::vector<GLOB_Name>& names) {
    std::vector<std::string> texts;
    for (const GLOB_Name& name : names)
        texts.emplace_back(name.CStr());
    return texts;
}
