// The host's Cos layer (the Cos table's 41 slots, and the one of its own
// Cos updates table) over the stand-in's Cos object store
// (platform/viewer/cos). Handles convert as VIEW_CosHandles.h
// says; a fault of the store is a host error with a registered text
// (VIEW_CosErrors.h); a misuse of the interface (a null procedure or
// record, an unknown atom or mode) is a VIEW_AssertionFailure.
//
// Objects (VIEW_CosObjects.cpp):
// - types in the host's numbering (VCOS_Type); direct scalars have no
//   document; Null is {0, 0};
// - dictionary slots accept a stream and act on its dictionary;
// - an indirect object or direct container of another document stored into
//   a document is a host error;
// - a new array of count n holds n Nulls; a put past the end extends it.
// Streams (VIEW_CosStreams.cpp): CosNewStream reads the source to its end
// inside the call and makes the stream with VCOS_StreamMaker; CosStreamOpenStm
// gives a memory stream of the stored bytes (modes 0 and 1) or of the bytes
// decoded by VCOS_StreamDecoder (mode 2).
// Documents (VIEW_CosDocuments.cpp): files are read whole and written whole
// through the procedures of their file system (VIEW_Files).
#pragma once

#include "viewer/cos/VCOS_Store.h"
#include "viewer/host_api.h"

#include <cstddef>
#include <string>
#include <vector>

class VIEW_Cos {
public:
    // ---- Objects
    static PDFL_Bool ObjEqual(PDFL_CosObj a, PDFL_CosObj b);                            // 1
    static int32_t ObjGetType(PDFL_CosObj obj);                                         // 2
    static PDFL_Bool ObjIsIndirect(PDFL_CosObj obj);                                    // 3
    // 4: proc per entry in the stored order (an array's elements with a Null
    // value) until it answers 0; 1 when it went to the end.
    static PDFL_Bool ObjEnum(PDFL_CosObj obj, PDFL_CosObjEnumProc proc, void* clientData);
    static PDFL_CosDoc ObjGetDoc(PDFL_CosObj obj);                                      // 5
    static PDFL_CosObj NewNull();                                                       // 6
    static PDFL_CosObj NewInteger(PDFL_CosDoc doc, PDFL_Bool indirect, int32_t value);  // 7
    // 8: the real the last FixedValue read when it gave this value (so that
    // a copy keeps the source's real whole), else value / 65536.
    static PDFL_CosObj NewFixed(PDFL_CosDoc doc, PDFL_Bool indirect, PDFL_Fixed value);
    static PDFL_CosObj NewBoolean(PDFL_CosDoc doc, PDFL_Bool indirect, PDFL_Bool value);// 9
    static PDFL_CosObj NewName(PDFL_CosDoc doc, PDFL_Bool indirect, PDFL_ASAtom name);  // 10
    static PDFL_CosObj NewString(PDFL_CosDoc doc, PDFL_Bool indirect, const char* bytes,
                                 int32_t length);                                       // 11
    // 12: a negative count gives an empty array.
    static PDFL_CosObj NewArray(PDFL_CosDoc doc, PDFL_Bool indirect, int32_t count);
    static PDFL_CosObj NewDict(PDFL_CosDoc doc, PDFL_Bool indirect, int32_t count);     // 13
    static int32_t IntegerValue(PDFL_CosObj obj);                                       // 16
    // 17: an integer or real as 16.16, saturating at +-0x7FFFFFFF.
    static PDFL_Fixed FixedValue(PDFL_CosObj obj);
    static PDFL_Bool BooleanValue(PDFL_CosObj obj);                                     // 18
    static PDFL_ASAtom NameValue(PDFL_CosObj obj);                                      // 19
    // 20: the stored bytes, valid until the string or its document changes.
    static char* StringValue(PDFL_CosObj obj, int32_t* length);
    static PDFL_CosObj DictGet(PDFL_CosObj dict, PDFL_ASAtom key);                      // 21
    static void DictPut(PDFL_CosObj dict, PDFL_ASAtom key, PDFL_CosObj value);          // 22
    static void DictRemove(PDFL_CosObj dict, PDFL_ASAtom key);                          // 23
    static PDFL_Bool DictKnown(PDFL_CosObj dict, PDFL_ASAtom key);                      // 24
    static PDFL_CosObj ArrayGet(PDFL_CosObj array, int32_t index);                      // 25
    static void ArrayPut(PDFL_CosObj array, int32_t index, PDFL_CosObj value);          // 26
    static void ArrayInsert(PDFL_CosObj array, int32_t index, PDFL_CosObj value);       // 27
    static int32_t ArrayLength(PDFL_CosObj array);                                      // 29
    static int32_t ObjGetID(PDFL_CosObj obj);                                           // 43
    static uint16_t ObjGetGeneration(PDFL_CosObj obj);                                  // 44
    static void ArrayRemoveNth(PDFL_CosObj array, int32_t index);                       // 52
    // CosUpdates 1: VCOS_Store::ReplacedBy; Null for a direct object.
    static PDFL_CosObj ObjReplacedBy(PDFL_CosObj obj);

    // ---- Streams
    // 14: start is -1 (where the source stands) or 0; length is not needed,
    // since the source is read to its end.
    static PDFL_CosObj NewStream(PDFL_CosDoc doc, PDFL_Bool indirect, PDFL_ASStm source,
                                 int32_t start, PDFL_Bool encoded, PDFL_CosObj attributes,
                                 PDFL_CosObj encodeParams, int32_t length);
    static int32_t StreamLength(PDFL_CosObj stream);                                    // 30
    static PDFL_CosObj StreamDict(PDFL_CosObj stream);                                  // 31
    static PDFL_ASStm StreamOpenStm(PDFL_CosObj stream, uint16_t mode);                 // 32
    // 33: 0, since the store keeps no file; a host error for a non-stream.
    static int32_t StreamPos(PDFL_CosObj stream);

    // ---- Documents
    static PDFL_CosObj DocGetRoot(PDFL_CosDoc doc);                                     // 34
    static PDFL_CosObj DocGetInfoDict(PDFL_CosDoc doc);                                 // 35
    // 38: reads the record's path through its file system (null: the default
    // one); the record's header stands in only for a file without one.
    static PDFL_CosDoc DocOpenWithParams(PDFL_CosDocOpenParams* params);
    static void DocClose(PDFL_CosDoc doc);                                              // 39
    static PDFL_CosDoc DocCreate(uint32_t flags);                                       // 40
    // 41 and 46: the header is the record's when not empty, else the
    // document's, else "%PDF-1.3". A given file is written from its start and
    // cut to the new length, then it is where the document was last saved.
    // 46 with file 0 opens, writes and closes the file the document was opened
    // from or last saved to; with neither it is a host error.
    static void DocSaveToFile(PDFL_CosDoc doc, PDFL_ASFile file, uint32_t flags,
                              PDFL_CosDocSaveParams* params);
    static void DocSaveWithParams(PDFL_CosDoc doc, PDFL_ASFile file, uint32_t flags,
                                  PDFL_CosDocSaveParams* params);

    // ---- The stand-in's own interface
    // A document read from an open host file, which stays open and is
    // where the document was opened from.
    static PDFL_CosDoc DocOpenFromFile(PDFL_ASFile file);
    // The header line the document keeps ("" when none).
    static std::string DocHeader(PDFL_CosDoc doc);
    // The warnings of the reader for an open document, in order (a repaired
    // file's); a host error for a document not open.
    static std::vector<std::string> DocWarnings(PDFL_CosDoc doc);
    // The store behind the slots, for tests and the rest of the stand-in.
    static VCOS_Store& Store();
    static size_t OpenDocCount();
    // Closes every document.
    static void Reset();
};
