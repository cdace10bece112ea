// Front documents: windows over PD documents, each with its page view
// (VIEW_PageViews). The most recently opened or raised document is the
// front one (AcroView 12).
//
// - Opening (45) keeps the PD document: closing the window closes it. A PD
//   document already shown gives its window again, raised to the front.
// - When the front document changes, the one that was in front hears 6
//   (did deactivate) and then everyone 2 (front document changed) with the
//   new one, or null when none is left.
// - Closing sends 7 (will close) before anything goes.
#pragma once

#include "viewer/host_api.h"

#include <cstddef>
#include <string>

class VIEW_AVDocs {
public:
    static PDFL_AVDoc OpenFromPDDoc(PDFL_PDDoc doc, const char* title);  // 45
    static void Close(PDFL_AVDoc doc);
    static void BringToFront(PDFL_AVDoc doc);
    static PDFL_AVDoc Front();                                         // 12
    static PDFL_PDDoc PDDoc(PDFL_AVDoc doc);                           // 48
    static PDFL_AVPageView PageView(PDFL_AVDoc doc);                   // 49
    static std::string Title(PDFL_AVDoc doc);
    // Sends 34: the contents of page changed.
    static void PageContentsDidChange(PDFL_PDPage page);
    static size_t Count();
    // Forgets every window without notifications (the host resets).
    static void Reset();
};
