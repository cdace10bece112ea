// The host core of the viewer stand-in, as tests and the loader see it: the
// function tables, the versions at which each table is offered, the
// extension id handed to the plug-in, and a reset of everything a test can
// change. Recorded calls, results, faults and events are VIEW_Recorder's;
// frames are VIEW_Frames'.
//
// Every slot the plug-in calls exists and records its call
// (VIEW_Recorder). A fault a test injected raises next. Effects that always
// run: Cos 4 calls the enumeration procedure once per
// VIEW_Recorder::EnumEntries entry (until it answers 0), and AcroView 24,
// 182, 183 and Cos 38, 41, 46 check their record's size word (another size
// is a VIEW_AssertionFailure). Then the slot returns the result a test set
// (VIEW_Recorder::SetResult), else its behaviour's, else zero. Behaviour:
// Core 1 (raise), 2 to 4 (frames; never replaced by a result), 5 and 7
// (atoms), 8 and 9 (callbacks), 10 (offered tables), 13 (VIEW_App), AcroView
// 4, 5, 7, 8, 41 and 42 and the debugger window's 3 (VIEW_App), AcroView 15 (VIEW_Progress), AcroSupport 1 and 3
// (VIEW_Memory), 4 and 5 (error texts), 20, 22, 23, 25 and 52 (VIEW_Paths),
// 21 (VIEW_FileSys), 26, 29, 32, 37, 38 and 51 (VIEW_Files), 42 to 45
// (VIEW_Streams), AcroView 16 to 24, 71 to 102, 163 to 181 and 214 (VIEW_Tools,
// VIEW_Toolbar, VIEW_Menus), 182 to 199 and 203 (VIEW_Windows), every Cos
// slot (VIEW_Cos, over the Cos store; Cos 4
// serves a test's entries first, then the store's), and PDModel 66, 69 to
// 71, 74, 75, 78, 83 to 87, 105, 114, 137 to 140, 142 and 265 (VIEW_PD).
#pragma once

#include "viewer/host_api.h"

#include <cstdint>

class VIEW_Host {
public:
    // The table itself, offered or not. Core is always offered.
    static PDFL_HFT Table(int table);
    // Offers a table (by the name Core slot 10 is asked with) for requests
    // up to version; 0 withdraws it. After Reset: AcroSupport, Cos,
    // PDModel, AcroView and Win at 0x00040000, the debugger window and the
    // Cos updates not.
    static void OfferTable(int table, uint32_t version);
    static uint32_t OfferedVersion(int table);
    // The names of the tables: "AcroSupport", "Cos", "PDModel", "AcroView",
    // "Win", "ADBE_DebuggerWindow", "TSCP_CosUpdates" (Core has none).
    static const char* TableName(int table);

    // The id the stand-in hands the plug-in at set-up.
    static PDFL_ExtensionID ExtensionID();

    // Frames, recorder, callbacks, error texts, memory, path names, files,
    // streams, Cos documents, the application and offers back to the start. Atoms stay, as a host's do.
    static void Reset();
};
