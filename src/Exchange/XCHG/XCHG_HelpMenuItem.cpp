#include "Exchange/XCHG/XCHG_HelpMenuItem.h"

#include "Exchange/XCHG/XCHG_AVCalls.h"
#include "Exchange/XCHG/XCHG_ModuleInfo.h"
#include "Exchange/XCHG/XCHG_Plugin.h"
#include "GLIB/GLIB_Exception.h"
#include "hostpdf/PDFL_ASCalls.h"
#include "hostpdf/PDFL_PDCalls.h"

void XCHG_HelpMenuItem::Create(uint32_t titleStringId, const char* fileName) {
    char suffix[256];
    CreateItem(titleStringId, SuffixWithName("ExtensionHelp", suffix), 0, 0, 0);
    m_fileName = fileName;
    const PDFL_AVMenu menu = XCHG_AVMenubarAcquireMenuByName(XCHG_AVAppGetMenubar(),
                                                             "UsingExtensions");
    XCHG_AVMenuAddMenuItem(menu, HostItem(), 9999);
}

void XCHG_HelpMenuItem::Destroy() {
    XCHG_AVMenuItemObj::Destroy();
    m_fileName = nullptr;
}

std::string XCHG_HelpMenuItem::PlatformPath(std::string path) {
    for (char& c : path)
        if (c == '/')
            c = '\\';
    if (path.size() >= 3 && path[0] == '\\')
        path = std::string(1, path[1]) + ":\\" + path.substr(3);
    return path;
}

void XCHG_HelpMenuItem::Execute() {
    if (!m_fileName)
        return;
    const std::string path = XCHG_Plugin::ModuleDirectory() + "Help/" +
                             XCHG_ModuleInfo::Language() + "/" + m_fileName;
    const PDFL_ASFileSys fileSys = PDFL_ASGetDefaultFileSys();
    const PDFL_ASPathName hostPath = PDFL_ASFileSysPathFromDIPath(fileSys, path.c_str(), nullptr);
    bool missing = false;
    try {
        const PDFL_PDDoc doc = PDFL_PDDocOpen(hostPath, fileSys, nullptr, /*repair=*/0);
        XCHG_AVDocOpenFromPDDoc(doc, nullptr);
    } catch (const GLIB_Exception&) {
        missing = true;
    }
    PDFL_ASFileSysReleasePath(fileSys, hostPath);
    if (missing) {
        const std::string text = "Unable to find the help file:\r\r" + PlatformPath(path);
        XCHG_AVAlertNote(text.c_str());
    }
}
