// The viewer's published plug-in interface: handle types, records,
// notification selectors, and every function-table slot the plug-in calls,
// with its number and C signature. This is the one header of the viewer
// that the plug-in's sources include.
//
// Widths: handles, callbacks, client data and every record word that holds
// a pointer are pointer-sized; slot numbers, argument order, 16-bit atoms,
// booleans and coordinates, 8-bit characters, 16.16 fixed numbers and the
// two-word Cos object keep the interface's own widths. A function table is
// an array of procedure words; slot n is entry n.
#pragma once

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

// ---- Scalars -------------------------------------------------------------

typedef uint16_t PDFL_ASAtom;     // interned string; 0 is no atom
typedef uint16_t PDFL_Bool;       // 0 no, anything else yes
typedef int32_t PDFL_Fixed;       // 16.16 signed fixed point
typedef int32_t PDFL_ErrorCode;   // host error code, as raised and read
typedef uint16_t PDFL_PDRotate;   // page rotation in degrees

// ---- Opaque handles (one incomplete type per kind; null is none) ---------

typedef struct PDFL_ExtensionRec_* PDFL_ExtensionID;
typedef struct PDFL_PDDocRec_* PDFL_PDDoc;
typedef struct PDFL_PDPageRec_* PDFL_PDPage;
typedef struct PDFL_CosDocRec_* PDFL_CosDoc;
typedef struct PDFL_ASFileRec_* PDFL_ASFile;
typedef struct PDFL_ASPathNameRec_* PDFL_ASPathName;
typedef struct PDFL_ASStmRec_* PDFL_ASStm;
typedef struct PDFL_ASCallbackRec_* PDFL_ASCallback;
typedef struct PDFL_AVDocRec_* PDFL_AVDoc;
typedef struct PDFL_AVWindowRec_* PDFL_AVWindow;
typedef struct PDFL_AVPageViewRec_* PDFL_AVPageView;
typedef struct PDFL_AVMenubarRec_* PDFL_AVMenubar;
typedef struct PDFL_AVMenuRec_* PDFL_AVMenu;
typedef struct PDFL_AVMenuItemRec_* PDFL_AVMenuItem;
typedef struct PDFL_AVToolBarRec_* PDFL_AVToolBar;
typedef struct PDFL_AVToolButtonRec_* PDFL_AVToolButton;
typedef struct PDFL_AVCursorRec_* PDFL_AVCursor;
typedef struct PDFL_AVIconRec_* PDFL_AVIcon;
// Platform objects handed through unchanged (a window, a device context).
typedef void* PDFL_PlatformWindow;
typedef void* PDFL_PlatformDC;

// A procedure word of a function table or a record.
typedef void (*PDFL_Proc)(void);
// A function table: slot n is entry n.
typedef PDFL_Proc* PDFL_HFT;

// A Cos object: two 32-bit words, passed as two argument words and returned
// as one 64-bit value.
typedef struct PDFL_CosObj {
    uint32_t m_word0;
    uint32_t m_word1;
} PDFL_CosObj;

// ---- Geometry -------------------------------------------------------------

typedef struct PDFL_FixedRect {   // page space: left, bottom, right, top
    PDFL_Fixed m_left, m_bottom, m_right, m_top;
} PDFL_FixedRect;
typedef struct PDFL_FixedMatrix {
    PDFL_Fixed m_a, m_b, m_c, m_d, m_h, m_v;
} PDFL_FixedMatrix;
typedef struct PDFL_AVRect {      // device space: left, top, right, bottom
    int16_t m_left, m_top, m_right, m_bottom;
} PDFL_AVRect;

// ---- Procedures the plug-in hands to the host ----------------------------

// Returns to the environment saved in frame (never returns).
typedef void (*PDFL_RestoreFrameProc)(void* frame);
// One entry of a dictionary or array; non-zero goes on.
typedef PDFL_Bool (*PDFL_CosObjEnumProc)(PDFL_CosObj key, PDFL_CosObj value, void* clientData);
// Fills buffer with up to size bytes; the number delivered.
typedef int32_t (*PDFL_StmProc)(char* buffer, int32_t size, void* clientData);
typedef PDFL_Bool (*PDFL_PDAuthProc)(PDFL_PDDoc doc);
// Asked during drawing; non-zero stops it.
typedef PDFL_Bool (*PDFL_CancelProc)(void* clientData);

// ---- Records ----------------------------------------------------------------

// Given by the host to the plug-in's entry.
typedef struct PDFL_HandshakeRec {
    uint32_t m_handshakeVersion;
    PDFL_ASAtom m_appName;
    PDFL_ASAtom m_extensionName;            // written by the plug-in
    PDFL_ASCallback m_exportHFTs;
    PDFL_ASCallback m_importReplaceAndRegister;
    PDFL_ASCallback m_initialize;
    PDFL_ASCallback m_unload;
} PDFL_HandshakeRec;

// Given by the host to the plug-in's set-up routine.
typedef struct PDFL_SetupRec {
    uint32_t m_handshakeVersion;
    PDFL_ExtensionID m_extensionID;
    PDFL_HFT m_coreHFT;
    PDFL_ASCallback m_handshake;            // written by the plug-in
} PDFL_SetupRec;

// The Windows data block the host hands PlugInMain.
typedef struct PDFL_WinDataRec {
    PDFL_PlatformWindow m_mainWindow;
    void* m_moduleInstance;
} PDFL_WinDataRec;

// The plug-in's entry, exported as "PlugInMain", its set-up routine, the
// handshake callback, the life-cycle callbacks (ExportHFTs,
// ImportReplaceAndRegister, Initialize, Unload) and a notification's
// procedure for selectors 0 and 1.
typedef PDFL_Bool (*PDFL_SetupProc)(uint32_t handshakeVersion, PDFL_SetupRec* record);
typedef PDFL_Bool (*PDFL_PlugInMainProc)(uint32_t hostHandshakeVersion, uint32_t* handshakeVersion,
                                         PDFL_SetupProc* setup, PDFL_WinDataRec* windowsData);
typedef PDFL_Bool (*PDFL_HandshakeProc)(uint32_t handshakeVersion, PDFL_HandshakeRec* record);
typedef PDFL_Bool (*PDFL_LifeCycleProc)(void);
typedef void (*PDFL_AppNotificationProc)(void* clientData);

// A tool: fourteen words, the first its size.
typedef struct PDFL_AVToolRec {
    uintptr_t m_size;
    PDFL_ASCallback m_activate;
    PDFL_ASCallback m_deactivate;
    PDFL_ASCallback m_doClick;
    PDFL_ASCallback m_adjustCursor;
    PDFL_ASCallback m_doKeyDown;
    PDFL_ASCallback m_getType;
    PDFL_ASCallback m_isPersistent;
    PDFL_ASCallback m_unused;
    PDFL_ASCallback m_computeEnabled;
    void* m_computeEnabledData;
    uintptr_t m_reserved[3];
} PDFL_AVToolRec;
typedef PDFL_AVToolRec* PDFL_AVTool;

// A window's handlers: a size word, then fifteen callbacks.
typedef struct PDFL_AVWindowHandlerRec {
    uintptr_t m_size;
    PDFL_ASCallback m_mouseDown;
    PDFL_ASCallback m_willClose;
    PDFL_ASCallback m_didClose;
    PDFL_ASCallback m_didActivate;
    PDFL_ASCallback m_didBecomeKey;
    PDFL_ASCallback m_keyDown;
    PDFL_ASCallback m_willResignKey;
    PDFL_ASCallback m_willDeactivate;
    PDFL_ASCallback m_draw;
    PDFL_ASCallback m_willBeResized;
    PDFL_ASCallback m_performEditOp;
    PDFL_ASCallback m_canPerformEditOp;
    PDFL_ASCallback m_adjustCursor;
    PDFL_ASCallback m_didResize;
    PDFL_ASCallback m_destroyPlatformThing;
} PDFL_AVWindowHandlerRec;

// A file system: thirty-two words, word 0 its size in bytes. The words the
// plug-in replaces are named by PDFL_FileSysWord.
typedef struct PDFL_ASFileSysRec {
    uintptr_t m_size;
    PDFL_Proc m_procs[31];                  // m_procs[i - 1] is word i
} PDFL_ASFileSysRec;
typedef PDFL_ASFileSysRec* PDFL_ASFileSys;

enum PDFL_FileSysWord {
    PDFL_FileSysOpen = 1,
    PDFL_FileSysClose = 2,
    PDFL_FileSysFlush = 3,
    PDFL_FileSysSetPos = 4,
    PDFL_FileSysGetPos = 5,
    PDFL_FileSysSetEOF = 6,
    PDFL_FileSysGetEOF = 7,
    PDFL_FileSysRead = 8,
    PDFL_FileSysWrite = 9,
    PDFL_FileSysWords = 32
};
typedef PDFL_ErrorCode (*PDFL_FileSysOpenProc)(PDFL_ASPathName path, uint16_t mode, PDFL_ASFile* file);
typedef PDFL_ErrorCode (*PDFL_FileSysFileProc)(PDFL_ASFile file);
typedef PDFL_ErrorCode (*PDFL_FileSysSetPosProc)(PDFL_ASFile file, uint32_t position);
typedef PDFL_ErrorCode (*PDFL_FileSysGetPosProc)(PDFL_ASFile file, uint32_t* position);
typedef PDFL_ErrorCode (*PDFL_FileSysSetEOFProc)(PDFL_ASFile file, uint32_t length);
typedef PDFL_ErrorCode (*PDFL_FileSysGetEOFProc)(PDFL_ASFile file, uint32_t* length);
typedef uint32_t (*PDFL_FileSysReadWriteProc)(void* buffer, uint32_t itemSize, uint32_t count,
                                              PDFL_ASFile file, PDFL_ErrorCode* error);

// A read request the host hands to words 23 and 24 of a file system; it
// has no size word.
typedef struct PDFL_ReadRequestRec {
    PDFL_ASFile m_file;
    uintptr_t m_word1;
    uintptr_t m_word2;
    uintptr_t m_requested;                  // complete when equal to m_done
    uintptr_t m_done;
    uintptr_t m_error;
    uintptr_t m_word6;
    void (*m_completion)(struct PDFL_ReadRequestRec* request);
    void* m_completionData;
} PDFL_ReadRequestRec;

// Words 23 and 24.
typedef PDFL_ErrorCode (*PDFL_FileSysReadRequestProc)(PDFL_ReadRequestRec* request);
// Words whose roles are the host's: 22, 25, 26, 28 and 31 take the file; 11
// and 12 the file and two words; 27 the file and three words.
typedef uintptr_t (*PDFL_FileSysWordProc)(PDFL_ASFile file);
typedef uintptr_t (*PDFL_FileSysWord2Proc)(PDFL_ASFile file, uintptr_t a, uintptr_t b);
typedef uintptr_t (*PDFL_FileSysWord3Proc)(PDFL_ASFile file, uintptr_t a, uintptr_t b,
                                           uintptr_t c);

// The document progress bar; the size word, then the procedures.
typedef struct PDFL_ProgressMonitorRec {
    uintptr_t m_size;
    void (*m_beginOperation)(void* clientData);
    void (*m_endOperation)(void* clientData);
    void (*m_setDuration)(int32_t duration, void* clientData);
    void (*m_setCurrValue)(int32_t value, void* clientData);
} PDFL_ProgressMonitorRec;
typedef PDFL_ProgressMonitorRec* PDFL_ProgressMonitor;

// A colour for page-view drawing (the interface's own 20-byte layout).
typedef struct PDFL_PDColorValueRec {
    int16_t m_space;
    int16_t m_padding;
    PDFL_Fixed m_value[4];
} PDFL_PDColorValueRec;

// Cos slots 41 and 46: its size, then the header text.
typedef struct PDFL_CosDocSaveParams {
    uint32_t m_size;
    const char* m_header;
    uintptr_t m_reserved[4];
} PDFL_CosDocSaveParams;

// Cos slot 38.
typedef struct PDFL_CosDocOpenParams {
    uint32_t m_size;
    uint32_t m_flags;
    PDFL_ASFileSys m_fileSys;
    PDFL_ASPathName m_pathName;
    const char* m_header;
} PDFL_CosDocOpenParams;

// Carried by notification 56 (PDDocWillSaveEx); bit 0 of the flags asks for
// a full save.
typedef struct PDFL_PDDocSaveParams {
    uint32_t m_size;
    uint16_t m_saveFlags;
} PDFL_PDDocSaveParams;

// ---- Notification selectors ------------------------------------------------

enum PDFL_NotificationSelector {
    PDFL_AppDidInitializeNSEL = 0,
    PDFL_AppWillQuitNSEL = 1,
    PDFL_AVAppFrontDocDidChangeNSEL = 2,
    PDFL_AVDocDidDeactivateNSEL = 6,
    PDFL_AVDocWillCloseNSEL = 7,
    PDFL_AVPageViewDidChangeNSEL = 14,
    PDFL_PDPageContentsDidChangeNSEL = 34,
    PDFL_PDDocWillSaveExNSEL = 56
};

// ---- Function tables -------------------------------------------------------

enum PDFL_HostTable {
    PDFL_CoreTable,
    PDFL_AcroSupportTable,
    PDFL_CosTable,
    PDFL_PDModelTable,
    PDFL_AcroViewTable,
    PDFL_WinTable,
    PDFL_DebuggerWindowTable,
    PDFL_CosUpdatesTable,
    PDFL_HostTableCount
};

// Every slot the plug-in calls: (table, slot, name, result, parameters,
// arguments). Each row gives PDFL_<name>Slot and PDFL_<name>Proc below.
#define PDFL_CORE_SLOTS(X)                                                                      \
    X(Core, 1, RaiseException, void, (PDFL_ErrorCode code), (code))                            \
    X(Core, 2, PushExceptionFrame, void, (void* frame, PDFL_RestoreFrameProc restore),         \
      (frame, restore))                                                                          \
    X(Core, 3, PopExceptionFrame, void, (void), ())                                              \
    X(Core, 4, GetExceptionErrorCode, PDFL_ErrorCode, (void), ())                               \
    X(Core, 5, AtomFromString, PDFL_ASAtom, (const char* text), (text))                         \
    X(Core, 7, AtomGetString, const char*, (PDFL_ASAtom atom), (atom))                          \
    X(Core, 8, CallbackCreate, PDFL_ASCallback, (PDFL_ExtensionID extension, PDFL_Proc proc),  \
      (extension, proc))                                                                         \
    X(Core, 9, CallbackDestroy, void, (PDFL_ASCallback callback), (callback))                   \
    X(Core, 10, ExtensionMgrGetHFT, PDFL_HFT, (PDFL_ASAtom name, uint32_t version),            \
      (name, version))                                                                           \
    X(Core, 13, ExtensionGetFileName, int32_t,                                                   \
      (PDFL_ExtensionID extension, char* buffer, int32_t size), (extension, buffer, size))

#define PDFL_ACROSUPPORT_SLOTS(X)                                                               \
    X(AcroSupport, 1, malloc, void*, (size_t size), (size))                                     \
    X(AcroSupport, 3, free, void, (void* block), (block))                                       \
    X(AcroSupport, 4, GetErrorString, const char*,                                               \
      (PDFL_ErrorCode code, char* buffer, int32_t size), (code, buffer, size))                  \
    X(AcroSupport, 5, RegisterErrorString, PDFL_ErrorCode, (uint16_t severity, const char* text),\
      (severity, text))                                                                          \
    X(AcroSupport, 20, PathFromPlatformPath, PDFL_ASPathName, (const char* path), (path))       \
    X(AcroSupport, 21, GetDefaultFileSys, PDFL_ASFileSys, (void), ())                            \
    X(AcroSupport, 22, FileSysDisplayStringFromPath, char*,                                      \
      (PDFL_ASFileSys fileSys, PDFL_ASPathName path, PDFL_ASPathName relativeTo),              \
      (fileSys, path, relativeTo))                                                               \
    X(AcroSupport, 23, FileSysPathFromDIPath, PDFL_ASPathName,                                   \
      (PDFL_ASFileSys fileSys, const char* diPath, PDFL_ASPathName relativeTo),                 \
      (fileSys, diPath, relativeTo))                                                             \
    X(AcroSupport, 25, FileSysReleasePath, void, (PDFL_ASFileSys fileSys, PDFL_ASPathName path),\
      (fileSys, path))                                                                           \
    X(AcroSupport, 26, FileSysOpenFile, PDFL_ErrorCode,                                          \
      (PDFL_ASFileSys fileSys, PDFL_ASPathName path, uint16_t mode, PDFL_ASFile* file),         \
      (fileSys, path, mode, file))                                                               \
    X(AcroSupport, 29, FileClose, PDFL_ErrorCode, (PDFL_ASFile file), (file))                   \
    X(AcroSupport, 32, FileSetEOF, void, (PDFL_ASFile file, int32_t length), (file, length))    \
    X(AcroSupport, 37, FileAcquirePathName, PDFL_ASPathName, (PDFL_ASFile file), (file))        \
    X(AcroSupport, 38, FileGetFileSys, PDFL_ASFileSys, (PDFL_ASFile file), (file))              \
    X(AcroSupport, 42, ProcStmRdOpen, PDFL_ASStm, (PDFL_StmProc read, void* clientData),        \
      (read, clientData))                                                                        \
    X(AcroSupport, 43, StmRead, uint32_t,                                                        \
      (char* buffer, uint32_t itemSize, uint32_t count, PDFL_ASStm stm),                        \
      (buffer, itemSize, count, stm))                                                            \
    X(AcroSupport, 44, StmWrite, uint32_t,                                                       \
      (const char* buffer, uint32_t itemSize, uint32_t count, PDFL_ASStm stm),                  \
      (buffer, itemSize, count, stm))                                                            \
    X(AcroSupport, 45, StmClose, void, (PDFL_ASStm stm), (stm))                                 \
    X(AcroSupport, 51, FileGetMDFile, PDFL_Bool,                                                 \
      (PDFL_ASFile file, void** platformFile, PDFL_ASFileSys* fileSys),                         \
      (file, platformFile, fileSys))                                                             \
    X(AcroSupport, 52, FileSysCreatePathName, PDFL_ASPathName,                                   \
      (PDFL_ASFileSys fileSys, PDFL_ASAtom pathType, const void* pathData, const void* more),   \
      (fileSys, pathType, pathData, more))

#define PDFL_COS_SLOTS(X)                                                                       \
    X(Cos, 1, CosObjEqual, PDFL_Bool, (PDFL_CosObj a, PDFL_CosObj b), (a, b))                   \
    X(Cos, 2, CosObjGetType, int32_t, (PDFL_CosObj obj), (obj))                                 \
    X(Cos, 3, CosObjIsIndirect, PDFL_Bool, (PDFL_CosObj obj), (obj))                            \
    X(Cos, 4, CosObjEnum, PDFL_Bool,                                                             \
      (PDFL_CosObj obj, PDFL_CosObjEnumProc proc, void* clientData), (obj, proc, clientData))   \
    X(Cos, 5, CosObjGetDoc, PDFL_CosDoc, (PDFL_CosObj obj), (obj))                              \
    X(Cos, 6, CosNewNull, PDFL_CosObj, (void), ())                                               \
    X(Cos, 7, CosNewInteger, PDFL_CosObj, (PDFL_CosDoc doc, PDFL_Bool indirect, int32_t value), \
      (doc, indirect, value))                                                                    \
    X(Cos, 8, CosNewFixed, PDFL_CosObj, (PDFL_CosDoc doc, PDFL_Bool indirect, PDFL_Fixed value),\
      (doc, indirect, value))                                                                    \
    X(Cos, 9, CosNewBoolean, PDFL_CosObj, (PDFL_CosDoc doc, PDFL_Bool indirect, PDFL_Bool value),\
      (doc, indirect, value))                                                                    \
    X(Cos, 10, CosNewName, PDFL_CosObj, (PDFL_CosDoc doc, PDFL_Bool indirect, PDFL_ASAtom name),\
      (doc, indirect, name))                                                                     \
    X(Cos, 11, CosNewString, PDFL_CosObj,                                                        \
      (PDFL_CosDoc doc, PDFL_Bool indirect, const char* bytes, int32_t length),                 \
      (doc, indirect, bytes, length))                                                            \
    X(Cos, 12, CosNewArray, PDFL_CosObj, (PDFL_CosDoc doc, PDFL_Bool indirect, int32_t count),  \
      (doc, indirect, count))                                                                    \
    X(Cos, 13, CosNewDict, PDFL_CosObj, (PDFL_CosDoc doc, PDFL_Bool indirect, int32_t count),   \
      (doc, indirect, count))                                                                    \
    X(Cos, 14, CosNewStream, PDFL_CosObj,                                                        \
      (PDFL_CosDoc doc, PDFL_Bool indirect, PDFL_ASStm source, int32_t start,                   \
       PDFL_Bool encoded, PDFL_CosObj attributes, PDFL_CosObj encodeParams, int32_t length),    \
      (doc, indirect, source, start, encoded, attributes, encodeParams, length))                \
    X(Cos, 16, CosIntegerValue, int32_t, (PDFL_CosObj obj), (obj))                              \
    X(Cos, 17, CosFixedValue, PDFL_Fixed, (PDFL_CosObj obj), (obj))                             \
    X(Cos, 18, CosBooleanValue, PDFL_Bool, (PDFL_CosObj obj), (obj))                            \
    X(Cos, 19, CosNameValue, PDFL_ASAtom, (PDFL_CosObj obj), (obj))                             \
    X(Cos, 20, CosStringValue, char*, (PDFL_CosObj obj, int32_t* length), (obj, length))       \
    X(Cos, 21, CosDictGet, PDFL_CosObj, (PDFL_CosObj dict, PDFL_ASAtom key), (dict, key))      \
    X(Cos, 22, CosDictPut, void, (PDFL_CosObj dict, PDFL_ASAtom key, PDFL_CosObj value),       \
      (dict, key, value))                                                                        \
    X(Cos, 23, CosDictRemove, void, (PDFL_CosObj dict, PDFL_ASAtom key), (dict, key))          \
    X(Cos, 24, CosDictKnown, PDFL_Bool, (PDFL_CosObj dict, PDFL_ASAtom key), (dict, key))      \
    X(Cos, 25, CosArrayGet, PDFL_CosObj, (PDFL_CosObj array, int32_t index), (array, index))   \
    X(Cos, 26, CosArrayPut, void, (PDFL_CosObj array, int32_t index, PDFL_CosObj value),       \
      (array, index, value))                                                                     \
    X(Cos, 27, CosArrayInsert, void, (PDFL_CosObj array, int32_t index, PDFL_CosObj value),    \
      (array, index, value))                                                                     \
    X(Cos, 29, CosArrayLength, int32_t, (PDFL_CosObj array), (array))                           \
    X(Cos, 30, CosStreamLength, int32_t, (PDFL_CosObj stream), (stream))                        \
    X(Cos, 31, CosStreamDict, PDFL_CosObj, (PDFL_CosObj stream), (stream))                      \
    X(Cos, 32, CosStreamOpenStm, PDFL_ASStm, (PDFL_CosObj stream, uint16_t mode),              \
      (stream, mode))                                                                            \
    X(Cos, 33, CosStreamPos, int32_t, (PDFL_CosObj stream), (stream))                           \
    X(Cos, 34, CosDocGetRoot, PDFL_CosObj, (PDFL_CosDoc doc), (doc))                            \
    X(Cos, 35, CosDocGetInfoDict, PDFL_CosObj, (PDFL_CosDoc doc), (doc))                        \
    X(Cos, 38, CosDocOpenWithParams, PDFL_CosDoc, (PDFL_CosDocOpenParams* params), (params))   \
    X(Cos, 39, CosDocClose, void, (PDFL_CosDoc doc), (doc))                                     \
    X(Cos, 40, CosDocCreate, PDFL_CosDoc, (uint32_t flags), (flags))                            \
    X(Cos, 41, CosDocSaveToFile, void,                                                           \
      (PDFL_CosDoc doc, PDFL_ASFile file, uint32_t flags, PDFL_CosDocSaveParams* params),       \
      (doc, file, flags, params))                                                                \
    X(Cos, 43, CosObjGetID, int32_t, (PDFL_CosObj obj), (obj))                                  \
    X(Cos, 44, CosObjGetGeneration, uint16_t, (PDFL_CosObj obj), (obj))                         \
    X(Cos, 46, CosDocSaveWithParams, void,                                                       \
      (PDFL_CosDoc doc, PDFL_ASFile file, uint32_t flags, PDFL_CosDocSaveParams* params),       \
      (doc, file, flags, params))                                                                \
    X(Cos, 52, CosArrayRemoveNth, void, (PDFL_CosObj array, int32_t index), (array, index))

#define PDFL_PDMODEL_SLOTS(X)                                                                   \
    X(PDModel, 66, PDDocOpen, PDFL_PDDoc,                                                        \
      (PDFL_ASPathName path, PDFL_ASFileSys fileSys, PDFL_PDAuthProc auth, PDFL_Bool repair),   \
      (path, fileSys, auth, repair))                                                             \
    X(PDModel, 69, PDDocCreate, PDFL_PDDoc, (void), ())                                          \
    X(PDModel, 70, PDDocSave, void,                                                              \
      (PDFL_PDDoc doc, uint16_t flags, PDFL_ASPathName path, PDFL_ASFileSys fileSys,            \
       PDFL_ProgressMonitor monitor, void* monitorData),                                        \
      (doc, flags, path, fileSys, monitor, monitorData))                                        \
    X(PDModel, 71, PDDocClose, void, (PDFL_PDDoc doc), (doc))                                   \
    X(PDModel, 74, PDDocGetFlags, int32_t, (PDFL_PDDoc doc), (doc))                             \
    X(PDModel, 75, PDDocSetFlags, void, (PDFL_PDDoc doc, int32_t flags), (doc, flags))          \
    X(PDModel, 78, PDDocGetCosDoc, PDFL_CosDoc, (PDFL_PDDoc doc), (doc))                        \
    X(PDModel, 83, PDDocGetNumPages, int32_t, (PDFL_PDDoc doc), (doc))                          \
    X(PDModel, 84, PDDocAcquirePage, PDFL_PDPage, (PDFL_PDDoc doc, int32_t number),            \
      (doc, number))                                                                             \
    X(PDModel, 85, PDDocCreatePage, PDFL_PDPage,                                                 \
      (PDFL_PDDoc doc, int32_t after, PDFL_FixedRect mediaBox), (doc, after, mediaBox))         \
    X(PDModel, 86, PDDocDeletePages, void,                                                       \
      (PDFL_PDDoc doc, int32_t first, int32_t last, PDFL_ProgressMonitor monitor,               \
       void* monitorData),                                                                       \
      (doc, first, last, monitor, monitorData))                                                  \
    X(PDModel, 87, PDDocMovePage, void, (PDFL_PDDoc doc, int32_t after, PDFL_PDPage page),     \
      (doc, after, page))                                                                        \
    X(PDModel, 105, PDDocSetInfo, void,                                                          \
      (PDFL_PDDoc doc, const char* key, const char* value, int32_t length),                     \
      (doc, key, value, length))                                                                 \
    X(PDModel, 114, PDDocGetPermissions, uint32_t, (PDFL_PDDoc doc), (doc))                     \
    X(PDModel, 137, PDPageGetNumber, int32_t, (PDFL_PDPage page), (page))                       \
    X(PDModel, 138, PDPageRelease, void, (PDFL_PDPage page), (page))                            \
    X(PDModel, 139, PDPageGetDoc, PDFL_PDDoc, (PDFL_PDPage page), (page))                       \
    X(PDModel, 140, PDPageGetCosObj, PDFL_CosObj, (PDFL_PDPage page), (page))                   \
    X(PDModel, 142, PDPageGetRotate, PDFL_PDRotate, (PDFL_PDPage page), (page))                 \
    X(PDModel, 151, PDPageDrawContentsToWindow, void,                                            \
      (PDFL_PDPage page, PDFL_PlatformWindow window, PDFL_PlatformDC dc, PDFL_Bool isDPS,       \
       PDFL_FixedMatrix* matrix, PDFL_FixedRect* updateRect, PDFL_CancelProc cancel,            \
       void* cancelData),                                                                        \
      (page, window, dc, isDPS, matrix, updateRect, cancel, cancelData))                        \
    X(PDModel, 265, PDDocOpenFromASFile, PDFL_PDDoc,                                             \
      (PDFL_ASFile file, PDFL_PDAuthProc auth, PDFL_Bool repair), (file, auth, repair))

#define PDFL_ACROVIEW_SLOTS(X)                                                                  \
    X(AcroView, 4, AVAlert, int32_t,                                                             \
      (int32_t iconType, const char* message, const char* button1, const char* button2,         \
       const char* button3, PDFL_Bool beep),                                                     \
      (iconType, message, button1, button2, button3, beep))                                     \
    X(AcroView, 5, AVAlertNote, void, (const char* message), (message))                         \
    X(AcroView, 7, AVAppGetVersion, void, (int16_t* major, int16_t* minor), (major, minor))     \
    X(AcroView, 8, AVAppGetLanguage, void, (char* buffer), (buffer))                            \
    X(AcroView, 12, AVAppGetActiveDoc, PDFL_AVDoc, (void), ())                                   \
    X(AcroView, 15, AVAppGetDocProgressMonitor, PDFL_ProgressMonitor, (void** clientData),     \
      (clientData))                                                                              \
    X(AcroView, 16, AVAppGetMenubar, PDFL_AVMenubar, (void), ())                                 \
    X(AcroView, 17, AVAppGetToolBar, PDFL_AVToolBar, (void), ())                                 \
    X(AcroView, 18, AVAppGetActiveTool, PDFL_AVTool, (void), ())                                 \
    X(AcroView, 20, AVAppGetDefaultTool, PDFL_AVTool, (void), ())                                \
    X(AcroView, 21, AVAppSetActiveTool, void, (PDFL_AVTool tool, PDFL_Bool persistent),        \
      (tool, persistent))                                                                        \
    X(AcroView, 24, AVAppRegisterTool, void, (PDFL_AVTool tool), (tool))                        \
    X(AcroView, 41, AVAppRegisterNotification, void,                                             \
      (int32_t selector, PDFL_ExtensionID owner, PDFL_ASCallback proc, void* clientData),       \
      (selector, owner, proc, clientData))                                                       \
    X(AcroView, 42, AVAppUnregisterNotification, void,                                           \
      (int32_t selector, PDFL_ExtensionID owner, PDFL_ASCallback proc, void* clientData),       \
      (selector, owner, proc, clientData))                                                       \
    X(AcroView, 45, AVDocOpenFromPDDoc, PDFL_AVDoc, (PDFL_PDDoc doc, const char* title),       \
      (doc, title))                                                                              \
    X(AcroView, 48, AVDocGetPDDoc, PDFL_PDDoc, (PDFL_AVDoc doc), (doc))                         \
    X(AcroView, 49, AVDocGetPageView, PDFL_AVPageView, (PDFL_AVDoc doc), (doc))                 \
    X(AcroView, 71, AVMenubarAcquireMenuByName, PDFL_AVMenu,                                     \
      (PDFL_AVMenubar menubar, const char* name), (menubar, name))                              \
    X(AcroView, 74, AVMenubarAcquireMenuItemByName, PDFL_AVMenuItem,                             \
      (PDFL_AVMenubar menubar, const char* name), (menubar, name))                              \
    X(AcroView, 80, AVMenuRelease, void, (PDFL_AVMenu menu), (menu))                            \
    X(AcroView, 89, AVMenuAddMenuItem, void,                                                     \
      (PDFL_AVMenu menu, PDFL_AVMenuItem item, int32_t position), (menu, item, position))      \
    X(AcroView, 90, AVMenuItemNew, PDFL_AVMenuItem,                                              \
      (const char* title, const char* name, PDFL_AVMenu submenu, PDFL_Bool longOnly,            \
       char shortcut, uint16_t flags, PDFL_AVIcon icon, PDFL_ExtensionID owner),                \
      (title, name, submenu, longOnly, shortcut, flags, icon, owner))                           \
    X(AcroView, 92, AVMenuItemRelease, void, (PDFL_AVMenuItem item), (item))                    \
    X(AcroView, 93, AVMenuItemRemove, void, (PDFL_AVMenuItem item), (item))                     \
    X(AcroView, 95, AVMenuItemGetTitle, int32_t,                                                 \
      (PDFL_AVMenuItem item, char* buffer, int32_t size), (item, buffer, size))                 \
    X(AcroView, 99, AVMenuItemSetExecuteProc, void,                                              \
      (PDFL_AVMenuItem item, PDFL_ASCallback proc, void* data), (item, proc, data))             \
    X(AcroView, 100, AVMenuItemSetComputeEnabledProc, void,                                      \
      (PDFL_AVMenuItem item, PDFL_ASCallback proc, void* data), (item, proc, data))             \
    X(AcroView, 101, AVMenuItemSetComputeMarkedProc, void,                                       \
      (PDFL_AVMenuItem item, PDFL_ASCallback proc, void* data), (item, proc, data))             \
    X(AcroView, 102, AVMenuItemAcquireSubmenu, PDFL_AVMenu, (PDFL_AVMenuItem item), (item))     \
    X(AcroView, 108, AVPageViewGetAperture, void, (PDFL_AVPageView view, PDFL_AVRect* rect),   \
      (view, rect))                                                                              \
    X(AcroView, 109, AVPageViewGetPage, PDFL_PDPage, (PDFL_AVPageView view), (view))            \
    X(AcroView, 114, AVPageViewSetColor, void,                                                   \
      (PDFL_AVPageView view, PDFL_PDColorValueRec* color), (view, color))                       \
    X(AcroView, 126, AVPageViewInvertRect, void, (PDFL_AVPageView view, PDFL_AVRect* rect),    \
      (view, rect))                                                                              \
    X(AcroView, 127, AVPageViewRefresh, void, (PDFL_AVPageView view), (view))                   \
    X(AcroView, 129, AVPageViewInvertRectOutline, void,                                          \
      (PDFL_AVPageView view, PDFL_AVRect* rect), (view, rect))                                  \
    X(AcroView, 130, AVPageViewDrawRectOutline, void,                                            \
      (PDFL_AVPageView view, PDFL_AVRect* rect, int16_t lineWidth, PDFL_Fixed* dashes,          \
       int32_t dashCount),                                                                       \
      (view, rect, lineWidth, dashes, dashCount))                                               \
    X(AcroView, 132, AVPageViewGetMousePosition, void,                                           \
      (PDFL_AVPageView view, int16_t* x, int16_t* y), (view, x, y))                             \
    X(AcroView, 135, AVAppRegisterForPageViewDrawing, void, (PDFL_ASCallback proc, void* data),\
      (proc, data))                                                                              \
    X(AcroView, 136, AVAppUnregisterForPageViewDrawing, void, (PDFL_ASCallback proc), (proc))   \
    X(AcroView, 139, AVAppRegisterForPageViewAdjustCursor, void,                                 \
      (PDFL_ASCallback proc, void* data), (proc, data))                                         \
    X(AcroView, 140, AVAppUnregisterForPageViewAdjustCursor, void, (PDFL_ASCallback proc),      \
      (proc))                                                                                    \
    X(AcroView, 154, AVPageViewRectToDevice, void,                                               \
      (PDFL_AVPageView view, PDFL_FixedRect* pageRect, PDFL_AVRect* deviceRect),                \
      (view, pageRect, deviceRect))                                                              \
    X(AcroView, 155, AVPageViewDeviceRectToPage, void,                                           \
      (PDFL_AVPageView view, PDFL_AVRect* deviceRect, PDFL_FixedRect* pageRect),                \
      (view, deviceRect, pageRect))                                                              \
    X(AcroView, 156, AVSysGetModifiers, int32_t, (void), ())                                     \
    X(AcroView, 157, AVSysMouseIsStillDown, PDFL_Bool, (void), ())                               \
    X(AcroView, 159, AVSysGetStandardCursor, PDFL_AVCursor, (int32_t id), (id))                 \
    X(AcroView, 160, AVSysSetCursor, void, (PDFL_AVCursor cursor), (cursor))                    \
    X(AcroView, 163, AVToolBarGetButtonByName, PDFL_AVToolButton,                                \
      (PDFL_AVToolBar toolBar, PDFL_ASAtom name), (toolBar, name))                              \
    X(AcroView, 165, AVToolBarAddButton, void,                                                   \
      (PDFL_AVToolBar toolBar, PDFL_AVToolButton button, PDFL_Bool before,                      \
       PDFL_AVToolButton other),                                                                 \
      (toolBar, button, before, other))                                                          \
    X(AcroView, 167, AVToolBarIsRoomFor, PDFL_Bool,                                              \
      (PDFL_AVToolBar toolBar, uint16_t buttons, uint16_t separators),                          \
      (toolBar, buttons, separators))                                                            \
    X(AcroView, 169, AVToolButtonNew, PDFL_AVToolButton,                                         \
      (PDFL_ASAtom name, PDFL_AVIcon icon, PDFL_Bool pullDown, PDFL_Bool separator),            \
      (name, icon, pullDown, separator))                                                         \
    X(AcroView, 170, AVToolButtonDestroy, void, (PDFL_AVToolButton button), (button))           \
    X(AcroView, 173, AVToolButtonGetName, PDFL_ASAtom, (PDFL_AVToolButton button), (button))    \
    X(AcroView, 175, AVToolButtonSetExecuteProc, void,                                           \
      (PDFL_AVToolButton button, PDFL_ASCallback proc, void* data), (button, proc, data))       \
    X(AcroView, 176, AVToolButtonSetComputeEnabledProc, void,                                    \
      (PDFL_AVToolButton button, PDFL_ASCallback proc, void* data), (button, proc, data))       \
    X(AcroView, 177, AVToolButtonSetComputeMarkedProc, void,                                     \
      (PDFL_AVToolButton button, PDFL_ASCallback proc, void* data), (button, proc, data))       \
    X(AcroView, 181, AVToolIsPersistent, PDFL_Bool, (PDFL_AVTool tool), (tool))                 \
    X(AcroView, 182, AVWindowNew, PDFL_AVWindow,                                                 \
      (int32_t layer, uint32_t flags, PDFL_AVWindowHandlerRec* handler, PDFL_ExtensionID owner),\
      (layer, flags, handler, owner))                                                            \
    X(AcroView, 183, AVWindowNewFromPlatformThing, PDFL_AVWindow,                                \
      (int32_t layer, uint32_t flags, PDFL_AVWindowHandlerRec* handler, PDFL_ExtensionID owner, \
       PDFL_PlatformWindow platformWindow),                                                      \
      (layer, flags, handler, owner, platformWindow))                                           \
    X(AcroView, 184, AVWindowDestroy, void, (PDFL_AVWindow window), (window))                   \
    X(AcroView, 187, AVWindowShow, void, (PDFL_AVWindow window), (window))                      \
    X(AcroView, 188, AVWindowHide, void, (PDFL_AVWindow window), (window))                      \
    X(AcroView, 189, AVWindowIsVisible, PDFL_Bool, (PDFL_AVWindow window), (window))            \
    X(AcroView, 190, AVWindowGetPlatformThing, PDFL_PlatformWindow, (PDFL_AVWindow window),    \
      (window))                                                                                  \
    X(AcroView, 191, AVWindowGetOwnerData, void*, (PDFL_AVWindow window), (window))             \
    X(AcroView, 192, AVWindowSetOwnerData, void, (PDFL_AVWindow window, void* data),           \
      (window, data))                                                                            \
    X(AcroView, 194, AVWindowSetTitle, void, (PDFL_AVWindow window, const char* title),        \
      (window, title))                                                                           \
    X(AcroView, 196, AVWindowSetFrame, void, (PDFL_AVWindow window, PDFL_AVRect* frame),       \
      (window, frame))                                                                           \
    X(AcroView, 197, AVWindowGetInterior, void, (PDFL_AVWindow window, PDFL_AVRect* rect),     \
      (window, rect))                                                                            \
    X(AcroView, 199, AVWindowInvalidateRect, void, (PDFL_AVWindow window, PDFL_AVRect* rect),  \
      (window, rect))                                                                            \
    X(AcroView, 203, AVWindowBecomeKey, void, (PDFL_AVWindow window), (window))                 \
    X(AcroView, 214, AVToolButtonSetHelpText, void,                                              \
      (PDFL_AVToolButton button, const char* text), (button, text))

#define PDFL_WIN_SLOTS(X)                                                                       \
    X(Win, 1, WinAppRegisterModelessDialog, void, (PDFL_PlatformWindow dialog), (dialog))

#define PDFL_DEBUGGERWINDOW_SLOTS(X)                                                            \
    X(DebuggerWindow, 3, DebugWindowPrint, void, (const char* text), (text))

// This host's own optional table, "TSCP_CosUpdates": what the file's
// incremental updates did to an object a reference names. Slot 1: for a
// reference to a generation a later update replaced, the object standing
// under its number now; the Null object for any other.
#define PDFL_COSUPDATES_SLOTS(X)                                                                \
    X(CosUpdates, 1, CosObjReplacedBy, PDFL_CosObj, (PDFL_CosObj obj), (obj))

#define PDFL_ALL_SLOTS(X)                                                                       \
    PDFL_CORE_SLOTS(X)                                                                           \
    PDFL_ACROSUPPORT_SLOTS(X)                                                                    \
    PDFL_COS_SLOTS(X)                                                                            \
    PDFL_PDMODEL_SLOTS(X)                                                                        \
    PDFL_ACROVIEW_SLOTS(X)                                                                       \
    PDFL_WIN_SLOTS(X)                                                                            \
    PDFL_DEBUGGERWINDOW_SLOTS(X)                                                                 \
    PDFL_COSUPDATES_SLOTS(X)

#define PDFL_DECLARE_SLOT_(table, slot, name, result, params, args)                             \
    enum { PDFL_##table##_##name##Slot = slot };                                                 \
    typedef result(*PDFL_##table##_##name##Proc) params;
PDFL_ALL_SLOTS(PDFL_DECLARE_SLOT_)
#undef PDFL_DECLARE_SLOT_

#ifdef __cplusplus
}  // extern "C"

// The procedure type of (table, slot), for calls addressed by number.
template <int Table, int Slot>
struct PDFL_Slot;

#define PDFL_SLOT_TRAIT_(table, slot, name, result, params, args)                               \
    template <>                                                                                  \
    struct PDFL_Slot<PDFL_##table##Table, slot> {                                                \
        using Proc = PDFL_##table##_##name##Proc;                                                \
        static constexpr const char* Name = #name;                                               \
    };
PDFL_ALL_SLOTS(PDFL_SLOT_TRAIT_)
#undef PDFL_SLOT_TRAIT_
#endif
