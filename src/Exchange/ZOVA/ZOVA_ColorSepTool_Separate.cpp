// Page states and the first step of the road: separating the current
// view's page into a temporary output document.
#include "Exchange/ZOVA/ZOVA_ColorSepTool.h"

#include "CPDF/document/CPDF_Doc.h"
#include "CPDF/document/CPDF_Page.h"
#include "Exchange/XCHG/XCHG_AVCalls.h"
#include "Exchange/ZOVA/ZOVA_PageStateGuard.h"
#include "Exchange/ZOVA/ZOVA_ProgressMonitor.h"
#include "Exchange/ZOVA/ZOVA_Resources.h"
#include "GLIB/GLIB_Assert.h"
#include "GLIB/GLIB_AutoFile.h"
#include "GLIB/GLIB_Exception.h"
#include "GLIB/GLIB_Log.h"
#include "GLOB/GLOB_FileName.h"
#include "fileio/MACR_FileSpec.h"
#include "hostpdf/CPDF_PDFL_Impl.h"
#include "hostpdf/PDFL_ASCalls.h"
#include "hostpdf/PDFL_CorCalls.h"
#include "hostpdf/PDFL_PDCalls.h"
#include "separation/CSEP_PDFSeparator.h"
#include "separation/CSEP_SepJobContext.h"
#include "separation/CSEP_Utils.h"

#include <new>

namespace {

constexpr uint32_t CancelCode = 1128003;
constexpr uint32_t CannotSeparateCode = 1128001;
constexpr uint32_t OutOfMemoryCode = 1125002;
constexpr uint32_t OutOfMemoryString = 20017;
constexpr int32_t HostOwnsFileFlag = 8;

void ShowBusyCursor() {
    XCHG_AVSysSetCursor(XCHG_AVSysGetStandardCursor(ZOVA_ColorSepTool::BusyCursor));
}

// The saved output document opened again as a host document.
PDFL_PDDoc ReopenAsHostDoc(const MACR_FileSpec& file) {
    const PDFL_ASFileSys fileSys = PDFL_ASGetDefaultFileSys();
    const PDFL_ASPathName path =
        PDFL_ASFileSysCreatePathName(fileSys, PDFL_ASAtomFromString("Cstring"), file.Path(), nullptr);
    PDFL_PDDoc doc = nullptr;
    try {
        doc = PDFL_PDDocOpen(path, fileSys, nullptr, 0);
        PDFL_PDDocSetFlags(doc, HostOwnsFileFlag);
    } catch (...) {
        if (doc)
            PDFL_PDDocClose(doc);
        PDFL_ASFileSysReleasePath(fileSys, path);
        throw;
    }
    PDFL_ASFileSysReleasePath(fileSys, path);
    return doc;
}

}  // namespace

void ZOVA_ColorSepTool::SetPageState(int32_t state) {
    if (m_viewCurrent)
        m_viewCurrent->SetPageState(state);
    switch (state) {
    case ZOVA_View::PageNeedsUpdate:
    case ZOVA_View::PageNeedsRender:
        ClearImage();
        m_colorDialog.SetStatus(ZOVA_ColorDialog::StatusNeedsUpdate);
        break;
    case ZOVA_View::PageSeparating:
        ShowBusyCursor();
        m_colorDialog.SetStatus(ZOVA_ColorDialog::StatusSeparating);
        break;
    case ZOVA_View::PageSeparated:
        m_colorDialog.SetStatus(ZOVA_ColorDialog::StatusRendering);
        ShowBusyCursor();
        m_colorDialog.SetStatus(ZOVA_ColorDialog::StatusRendering);
        break;
    case ZOVA_View::PageRendering:
        ShowBusyCursor();
        m_colorDialog.SetStatus(ZOVA_ColorDialog::StatusRendering);
        break;
    case ZOVA_View::PageReady:
        m_colorDialog.SetStatus(ZOVA_ColorDialog::StatusReady);
        break;
    default:
        GLIB_LOG(GLIB_LogFatal, "Invalid page state encountered: " << state);
        break;
    }
}

bool ZOVA_ColorSepTool::SeparatePage() {
    GLIB_ASSERT(m_viewCurrent != NULL);
    ZOVA_View& view = *m_viewCurrent;
    try {
        const CPDF_Page& page = view.Page().Page();

        MACR_FileSpec file;
        file.MakeTempFile();
        GLIB_AutoFile autoFile(file.Path());
        CPDF_Doc output = CPDF_PDFL_NewDoc();
        output.CreateWithFileName(GLOB_FileName(file.Path()));

        CSEP_PDFSeparator separator;
        std::vector<CPDF_Colorant> inks;
        CSEP_Utils::PageResources(page).CollectSpotColorants(&inks, /*thisDictOnly=*/false, /*clearFirst=*/false);

        ZOVA_ProgressMonitor monitor;
        CSEP_SepJobContext job;
        job.SetUseExternalStreams(1);
        job.SetCompressionMode(1);
        job.SetDocAndColorants(output, inks);
        m_cancelMgr.SetCancelled(false);
        job.SetCancelMgr(m_cancelMgr);
        monitor.Attach(job);
        separator.SetJobContext(job);

        std::vector<GLOB_Object> newPages;
        {
            ZOVA_PageStateGuard guard(ZOVA_View::PageSeparating, ZOVA_View::PageNeedsUpdate, this);
            try {
                separator.SeparatePage(page, 0, newPages);
            } catch (const GLIB_Exception& e) {
                // 1128003 is also an invalid colour space: only the flag
                // says the user stopped.
                if (e.Code() == CancelCode && m_cancelMgr.IsCancelled())
                    return false;
                if (e.Code() != CannotSeparateCode)
                    throw;
                GLIB_LOG(GLIB_LogError, "Error separting page: " << e.What());
                AlertString(ZOVA_StringCannotSeparate);
                return false;
            }
            monitor.End();
            guard.Commit(ZOVA_View::PageSeparated);
        }
        view.SetJobContext(job);
        output.Save();
        output.Close();

        view.SetOutputDoc(ReopenAsHostDoc(file));
        autoFile.Release();
        return true;
    } catch (const GLIB_Exception& e) {
        if (e.Code() == OutOfMemoryCode) {
            GLIB_LOG(GLIB_LogError, "Bad allocation separating page: try increasing memory ");
            AlertString(OutOfMemoryString);
        } else {
            GLIB_LOG(GLIB_LogError, "Exception separating page: " << e.What());
            AlertString(ZOVA_StringSeparateFailed);
        }
    } catch (const std::bad_alloc&) {
        GLIB_LOG(GLIB_LogError, "Bad allocation separating page: try increasing memory ");
        AlertString(OutOfMemoryString);
    } catch (...) {
        GLIB_LOG(GLIB_LogError, "Unknown exception separating page");
        AlertString(ZOVA_StringSeparateFailed);
    }
    return false;
}
