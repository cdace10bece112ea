// Every host-call wrapper against a table written from the interface's own
// description (table, slot, arguments with their widths, result width),
// apart from the tables the wrappers are made from.
//
// Argument kinds: w a 32-bit value or a pointer, h 16-bit, b 8-bit, o a Cos
// object (two words), m a fixed rectangle by value (four words), r the
// address of a record whose size word the host checks. Result kinds: n
// none, w a word, h 16-bit, o a Cos object.
#include "HostFixture.h"

#include "Exchange/XCHG/XCHG_AVCalls.h"
#include "Exchange/XCHG/XCHG_WinCalls.h"
#include "hostpdf/PDFL_ASCalls.h"
#include "hostpdf/PDFL_CorCalls.h"
#include "hostpdf/PDFL_CosCalls.h"
#include "hostpdf/PDFL_PDCalls.h"

#include <set>
#include <tuple>
#include <type_traits>

namespace {

// Feeds each parameter a distinct value of the row's kind and notes the
// words the host should see.
class Feeder {
public:
    explicit Feeder(const std::string& kinds) : m_kinds(kinds) {}

    template <class P>
    P Next() {
        const size_t i = m_next++;
        const char kind = i < m_kinds.size() ? m_kinds[i] : '?';
        const uint32_t distinct = 0x1011 + 0x101 * static_cast<uint32_t>(i);
        if constexpr (std::is_same_v<P, PDFL_CosObj>) {
            Expect(kind, 'o', i);
            const PDFL_CosObj obj{0xC0DE0000 + distinct, 0xD0CE0000 + distinct};
            m_expected.insert(m_expected.end(), {obj.m_word0, obj.m_word1});
            return obj;
        } else if constexpr (std::is_same_v<P, PDFL_FixedRect>) {
            Expect(kind, 'm', i);
            const PDFL_FixedRect box{0x10000, -0x20000, 0x2640000, 0x3180000};
            m_expected.insert(m_expected.end(), {0x10000u, 0xFFFE0000u, 0x2640000u, 0x3180000u});
            return box;
        } else if constexpr (std::is_pointer_v<P>) {
            if (kind == 'r')
                return Record<P>(i);
            Expect(kind, 'w', i);
            m_expected.push_back(distinct);
            return reinterpret_cast<P>(static_cast<uintptr_t>(distinct));
        } else {
            static_assert(std::is_integral_v<P>, "an argument of an unknown kind");
            if (sizeof(P) == 1) {
                Expect(kind, 'b', i);
                m_expected.push_back(0xFF);
                return static_cast<P>(0x1FF);
            }
            if (sizeof(P) == 2) {
                Expect(kind, 'h', i);
                const uint32_t given = 0x12345 + 0x10 * static_cast<uint32_t>(i);
                m_expected.push_back(given & 0xFFFF);
                return static_cast<P>(given);
            }
            Expect(kind, 'w', i);
            m_expected.push_back(distinct);
            return static_cast<P>(distinct);
        }
    }

    size_t Fed() const { return m_next; }
    const std::vector<uint64_t>& Expected() const { return m_expected; }
    const std::string& Problems() const { return m_problems; }

private:
    void Expect(char kind, char actual, size_t i) {
        if (kind != actual)
            m_problems += "argument " + std::to_string(i) + " is '" + actual + "', the row says '" +
                          kind + "'; ";
    }

    template <class P>
    P Record(size_t i) {
        using Rec = std::remove_pointer_t<P>;
        if constexpr (std::is_same_v<Rec, PDFL_AVToolRec> ||
                      std::is_same_v<Rec, PDFL_AVWindowHandlerRec> ||
                      std::is_same_v<Rec, PDFL_CosDocOpenParams> ||
                      std::is_same_v<Rec, PDFL_CosDocSaveParams>) {
            static Rec record{};
            record.m_size = sizeof(Rec);
            m_expected.push_back(reinterpret_cast<uintptr_t>(&record));
            return &record;
        } else {
            Expect('r', 'w', i);
            return nullptr;
        }
    }

    std::string m_kinds;
    size_t m_next = 0;
    std::vector<uint64_t> m_expected;
    std::string m_problems;
};

struct Outcome {
    char m_kind;
    uint64_t m_value;
};

template <class R>
Outcome OutcomeOf(R value) {
    if constexpr (std::is_same_v<R, PDFL_CosObj>)
        return {'o', value.m_word0 | static_cast<uint64_t>(value.m_word1) << 32};
    else if constexpr (std::is_pointer_v<R>)
        return {'w', reinterpret_cast<uintptr_t>(value)};
    else
        return {sizeof(R) == 2 ? 'h' : sizeof(R) == 4 ? 'w' : '?',
                static_cast<std::make_unsigned_t<R>>(value)};
}

template <class R, class... P>
Outcome CallWith(R (*wrapper)(P...), Feeder& feeder) {
    // Braced initialisation feeds the parameters in order.
    std::tuple<P...> args{feeder.template Next<P>()...};
    if constexpr (std::is_void_v<R>) {
        std::apply(wrapper, args);
        return {'n', 0};
    } else {
        return OutcomeOf(std::apply(wrapper, args));
    }
}

template <auto Wrapper>
Outcome Run(Feeder& feeder) {
    return CallWith(Wrapper, feeder);
}

struct Row {
    const char* m_name;
    Outcome (*m_run)(Feeder&);
    int m_table;
    int m_slot;
    const char* m_args;
    char m_result;
};

#define ROW(wrapper, table, slot, args, result) \
    Row { #wrapper, &Run<&wrapper>, PDFL_##table##Table, slot, args, result }

const Row Rows[] = {
    // Core
    ROW(PDFL_ASAtomFromString, Core, 5, "w", 'h'),
    ROW(PDFL_ASAtomGetString, Core, 7, "h", 'w'),
    ROW(PDFL_ASCallbackCreate, Core, 8, "ww", 'w'),
    ROW(PDFL_ASCallbackDestroy, Core, 9, "w", 'n'),
    ROW(PDFL_ASExtensionMgrGetHFT, Core, 10, "hw", 'w'),
    ROW(PDFL_ASExtensionGetFileName, Core, 13, "www", 'w'),
    // PDModel
    ROW(PDFL_PDDocOpen, PDModel, 66, "wwwh", 'w'),
    ROW(PDFL_PDDocCreate, PDModel, 69, "", 'w'),
    ROW(PDFL_PDDocSave, PDModel, 70, "whwwww", 'n'),
    ROW(PDFL_PDDocClose, PDModel, 71, "w", 'n'),
    ROW(PDFL_PDDocGetFlags, PDModel, 74, "w", 'w'),
    ROW(PDFL_PDDocSetFlags, PDModel, 75, "ww", 'n'),
    ROW(PDFL_PDDocGetCosDoc, PDModel, 78, "w", 'w'),
    ROW(PDFL_PDDocGetNumPages, PDModel, 83, "w", 'w'),
    ROW(PDFL_PDDocAcquirePage, PDModel, 84, "ww", 'w'),
    ROW(PDFL_PDDocCreatePage, PDModel, 85, "wwm", 'w'),
    ROW(PDFL_PDDocDeletePages, PDModel, 86, "wwwww", 'n'),
    ROW(PDFL_PDDocMovePage, PDModel, 87, "www", 'n'),
    ROW(PDFL_PDDocSetInfo, PDModel, 105, "wwww", 'n'),
    ROW(PDFL_PDDocGetPermissions, PDModel, 114, "w", 'w'),
    ROW(PDFL_PDPageGetNumber, PDModel, 137, "w", 'w'),
    ROW(PDFL_PDPageRelease, PDModel, 138, "w", 'n'),
    ROW(PDFL_PDPageGetDoc, PDModel, 139, "w", 'w'),
    ROW(PDFL_PDPageGetCosObj, PDModel, 140, "w", 'o'),
    ROW(PDFL_PDPageGetRotate, PDModel, 142, "w", 'h'),
    ROW(PDFL_PDPageDrawContentsToWindow, PDModel, 151, "wwwhwwww", 'n'),
    ROW(PDFL_PDDocOpenFromASFile, PDModel, 265, "wwh", 'w'),
    // AcroSupport
    ROW(PDFL_ASfree, AcroSupport, 3, "w", 'n'),
    ROW(PDFL_ASGetErrorString, AcroSupport, 4, "www", 'w'),
    ROW(PDFL_ASRegisterErrorString, AcroSupport, 5, "hw", 'w'),
    ROW(PDFL_ASPathFromPlatformPath, AcroSupport, 20, "w", 'w'),
    ROW(iPDFL_ASGetHostDefaultFileSys, AcroSupport, 21, "", 'w'),
    ROW(PDFL_ASFileSysDisplayStringFromPath, AcroSupport, 22, "www", 'w'),
    ROW(PDFL_ASFileSysPathFromDIPath, AcroSupport, 23, "www", 'w'),
    ROW(PDFL_ASFileSysReleasePath, AcroSupport, 25, "ww", 'n'),
    ROW(PDFL_ASFileSysOpenFile, AcroSupport, 26, "wwhw", 'w'),
    ROW(PDFL_ASFileClose, AcroSupport, 29, "w", 'w'),
    ROW(PDFL_ASFileSetEOF, AcroSupport, 32, "ww", 'n'),
    ROW(PDFL_ASFileAcquirePathName, AcroSupport, 37, "w", 'w'),
    ROW(PDFL_ASFileGetFileSys, AcroSupport, 38, "w", 'w'),
    ROW(PDFL_ASProcStmRdOpen, AcroSupport, 42, "ww", 'w'),
    ROW(PDFL_ASStmRead, AcroSupport, 43, "wwww", 'w'),
    ROW(PDFL_ASStmWrite, AcroSupport, 44, "wwww", 'w'),
    ROW(PDFL_ASStmClose, AcroSupport, 45, "w", 'n'),
    ROW(PDFL_ASFileGetMDFile, AcroSupport, 51, "www", 'h'),
    ROW(PDFL_ASFileSysCreatePathName, AcroSupport, 52, "whww", 'w'),
    // Cos
    ROW(PDFL_CosObjEqual, Cos, 1, "oo", 'h'),
    ROW(PDFL_CosObjGetType, Cos, 2, "o", 'w'),
    ROW(PDFL_CosObjIsIndirect, Cos, 3, "o", 'h'),
    ROW(PDFL_CosObjEnum, Cos, 4, "oww", 'h'),
    ROW(PDFL_CosObjGetDoc, Cos, 5, "o", 'w'),
    ROW(PDFL_CosNewNull, Cos, 6, "", 'o'),
    ROW(PDFL_CosNewInteger, Cos, 7, "whw", 'o'),
    ROW(PDFL_CosNewFixed, Cos, 8, "whw", 'o'),
    ROW(PDFL_CosNewBoolean, Cos, 9, "whh", 'o'),
    ROW(PDFL_CosNewName, Cos, 10, "whh", 'o'),
    ROW(PDFL_CosNewString, Cos, 11, "whww", 'o'),
    ROW(PDFL_CosNewArray, Cos, 12, "whw", 'o'),
    ROW(PDFL_CosNewDict, Cos, 13, "whw", 'o'),
    ROW(PDFL_CosNewStream, Cos, 14, "whwwhoow", 'o'),
    ROW(PDFL_CosIntegerValue, Cos, 16, "o", 'w'),
    ROW(PDFL_CosFixedValue, Cos, 17, "o", 'w'),
    ROW(PDFL_CosBooleanValue, Cos, 18, "o", 'h'),
    ROW(PDFL_CosNameValue, Cos, 19, "o", 'h'),
    ROW(PDFL_CosStringValue, Cos, 20, "ow", 'w'),
    ROW(PDFL_CosDictGet, Cos, 21, "oh", 'o'),
    ROW(PDFL_CosDictPut, Cos, 22, "oho", 'n'),
    ROW(PDFL_CosDictRemove, Cos, 23, "oh", 'n'),
    ROW(PDFL_CosDictKnown, Cos, 24, "oh", 'h'),
    ROW(PDFL_CosArrayGet, Cos, 25, "ow", 'o'),
    ROW(PDFL_CosArrayPut, Cos, 26, "owo", 'n'),
    ROW(PDFL_CosArrayInsert, Cos, 27, "owo", 'n'),
    ROW(PDFL_CosArrayLength, Cos, 29, "o", 'w'),
    ROW(PDFL_CosStreamLength, Cos, 30, "o", 'w'),
    ROW(PDFL_CosStreamDict, Cos, 31, "o", 'o'),
    ROW(PDFL_CosStreamOpenStm, Cos, 32, "oh", 'w'),
    ROW(PDFL_CosStreamPos, Cos, 33, "o", 'w'),
    ROW(PDFL_CosDocGetRoot, Cos, 34, "w", 'o'),
    ROW(PDFL_CosDocGetInfoDict, Cos, 35, "w", 'o'),
    ROW(PDFL_CosDocOpenWithParams, Cos, 38, "r", 'w'),
    ROW(PDFL_CosDocClose, Cos, 39, "w", 'n'),
    ROW(PDFL_CosDocCreate, Cos, 40, "w", 'w'),
    ROW(PDFL_CosDocSaveToFile, Cos, 41, "wwwr", 'n'),
    ROW(PDFL_CosObjGetID, Cos, 43, "o", 'w'),
    ROW(PDFL_CosObjGetGeneration, Cos, 44, "o", 'h'),
    ROW(PDFL_CosDocSaveWithParams, Cos, 46, "wwwr", 'n'),
    ROW(PDFL_CosArrayRemoveNth, Cos, 52, "ow", 'n'),
    // AcroView
    ROW(XCHG_AVAlert, AcroView, 4, "wwwwwh", 'w'),
    ROW(XCHG_AVAlertNote, AcroView, 5, "w", 'n'),
    ROW(XCHG_AVAppGetVersion, AcroView, 7, "ww", 'n'),
    ROW(XCHG_AVAppGetLanguage, AcroView, 8, "w", 'n'),
    ROW(XCHG_AVAppGetActiveDoc, AcroView, 12, "", 'w'),
    ROW(XCHG_AVAppGetDocProgressMonitor, AcroView, 15, "w", 'w'),
    ROW(XCHG_AVAppGetMenubar, AcroView, 16, "", 'w'),
    ROW(XCHG_AVAppGetToolBar, AcroView, 17, "", 'w'),
    ROW(XCHG_AVAppGetActiveTool, AcroView, 18, "", 'w'),
    ROW(XCHG_AVAppGetDefaultTool, AcroView, 20, "", 'w'),
    ROW(XCHG_AVAppSetActiveTool, AcroView, 21, "wh", 'n'),
    ROW(XCHG_AVAppRegisterTool, AcroView, 24, "r", 'n'),
    ROW(XCHG_AVAppRegisterNotification, AcroView, 41, "wwww", 'n'),
    ROW(XCHG_AVAppUnregisterNotification, AcroView, 42, "wwww", 'n'),
    ROW(XCHG_AVDocOpenFromPDDoc, AcroView, 45, "ww", 'w'),
    ROW(XCHG_AVDocGetPDDoc, AcroView, 48, "w", 'w'),
    ROW(XCHG_AVDocGetPageView, AcroView, 49, "w", 'w'),
    ROW(XCHG_AVMenubarAcquireMenuByName, AcroView, 71, "ww", 'w'),
    ROW(XCHG_AVMenubarAcquireMenuItemByName, AcroView, 74, "ww", 'w'),
    ROW(XCHG_AVMenuRelease, AcroView, 80, "w", 'n'),
    ROW(XCHG_AVMenuAddMenuItem, AcroView, 89, "www", 'n'),
    ROW(XCHG_AVMenuItemNew, AcroView, 90, "wwwhbhww", 'w'),
    ROW(XCHG_AVMenuItemRelease, AcroView, 92, "w", 'n'),
    ROW(XCHG_AVMenuItemRemove, AcroView, 93, "w", 'n'),
    ROW(XCHG_AVMenuItemGetTitle, AcroView, 95, "www", 'w'),
    ROW(XCHG_AVMenuItemSetExecuteProc, AcroView, 99, "www", 'n'),
    ROW(XCHG_AVMenuItemSetComputeEnabledProc, AcroView, 100, "www", 'n'),
    ROW(XCHG_AVMenuItemSetComputeMarkedProc, AcroView, 101, "www", 'n'),
    ROW(XCHG_AVMenuItemAcquireSubmenu, AcroView, 102, "w", 'w'),
    ROW(XCHG_AVPageViewGetAperture, AcroView, 108, "ww", 'n'),
    ROW(XCHG_AVPageViewGetPage, AcroView, 109, "w", 'w'),
    ROW(XCHG_AVPageViewSetColor, AcroView, 114, "ww", 'n'),
    ROW(XCHG_AVPageViewInvertRect, AcroView, 126, "ww", 'n'),
    ROW(XCHG_AVPageViewRefresh, AcroView, 127, "w", 'n'),
    ROW(XCHG_AVPageViewInvertRectOutline, AcroView, 129, "ww", 'n'),
    ROW(XCHG_AVPageViewDrawRectOutline, AcroView, 130, "wwhww", 'n'),
    ROW(XCHG_AVPageViewGetMousePosition, AcroView, 132, "www", 'n'),
    ROW(XCHG_AVAppRegisterForPageViewDrawing, AcroView, 135, "ww", 'n'),
    ROW(XCHG_AVAppUnregisterForPageViewDrawing, AcroView, 136, "w", 'n'),
    ROW(XCHG_AVAppRegisterForPageViewAdjustCursor, AcroView, 139, "ww", 'n'),
    ROW(XCHG_AVAppUnregisterForPageViewAdjustCursor, AcroView, 140, "w", 'n'),
    ROW(XCHG_AVPageViewRectToDevice, AcroView, 154, "www", 'n'),
    ROW(XCHG_AVPageViewDeviceRectToPage, AcroView, 155, "www", 'n'),
    ROW(XCHG_AVSysGetModifiers, AcroView, 156, "", 'w'),
    ROW(XCHG_AVSysMouseIsStillDown, AcroView, 157, "", 'h'),
    ROW(XCHG_AVSysGetStandardCursor, AcroView, 159, "w", 'w'),
    ROW(XCHG_AVSysSetCursor, AcroView, 160, "w", 'n'),
    ROW(XCHG_AVToolBarGetButtonByName, AcroView, 163, "wh", 'w'),
    ROW(XCHG_AVToolBarAddButton, AcroView, 165, "wwhw", 'n'),
    ROW(XCHG_AVToolBarIsRoomFor, AcroView, 167, "whh", 'h'),
    ROW(XCHG_AVToolButtonNew, AcroView, 169, "hwhh", 'w'),
    ROW(XCHG_AVToolButtonDestroy, AcroView, 170, "w", 'n'),
    ROW(XCHG_AVToolButtonGetName, AcroView, 173, "w", 'h'),
    ROW(XCHG_AVToolButtonSetExecuteProc, AcroView, 175, "www", 'n'),
    ROW(XCHG_AVToolButtonSetComputeEnabledProc, AcroView, 176, "www", 'n'),
    ROW(XCHG_AVToolButtonSetComputeMarkedProc, AcroView, 177, "www", 'n'),
    ROW(XCHG_AVToolIsPersistent, AcroView, 181, "w", 'h'),
    ROW(XCHG_AVWindowNew, AcroView, 182, "wwrw", 'w'),
    ROW(XCHG_AVWindowNewFromPlatformThing, AcroView, 183, "wwrww", 'w'),
    ROW(XCHG_AVWindowDestroy, AcroView, 184, "w", 'n'),
    ROW(XCHG_AVWindowShow, AcroView, 187, "w", 'n'),
    ROW(XCHG_AVWindowHide, AcroView, 188, "w", 'n'),
    ROW(XCHG_AVWindowIsVisible, AcroView, 189, "w", 'h'),
    ROW(XCHG_AVWindowGetPlatformThing, AcroView, 190, "w", 'w'),
    ROW(XCHG_AVWindowGetOwnerData, AcroView, 191, "w", 'w'),
    ROW(XCHG_AVWindowSetOwnerData, AcroView, 192, "ww", 'n'),
    ROW(XCHG_AVWindowSetTitle, AcroView, 194, "ww", 'n'),
    ROW(XCHG_AVWindowSetFrame, AcroView, 196, "ww", 'n'),
    ROW(XCHG_AVWindowGetInterior, AcroView, 197, "ww", 'n'),
    ROW(XCHG_AVWindowInvalidateRect, AcroView, 199, "ww", 'n'),
    ROW(XCHG_AVWindowBecomeKey, AcroView, 203, "w", 'n'),
    ROW(XCHG_AVToolButtonSetHelpText, AcroView, 214, "ww", 'n'),
    // Win
    ROW(XCHG_WinAppRegisterModelessDialog, Win, 1, "w", 'n'),
};

// A result of the row's width that the wrapper must hand back unchanged.
uint64_t ResultFor(const Row& row) {
    switch (row.m_result) {
    case 'h': return 0x1A000 + static_cast<uint64_t>(row.m_slot);   // wider than 16 bits
    case 'o': return 0x2222000011110000ull + static_cast<uint64_t>(row.m_slot);
    default: return 0x5EED0000 + static_cast<uint64_t>(row.m_slot);
    }
}

uint64_t Expected(const Row& row) {
    const uint64_t set = ResultFor(row);
    return row.m_result == 'h' ? (set & 0xFFFF) : row.m_result == 'n' ? 0 : set;
}

class HostCallTableTest : public HostTest {};

TEST_F(HostCallTableTest, OneRowPerWrapper) {
    std::set<std::string> names;
    size_t perTable[PDFL_HostTableCount] = {};
    for (const Row& row : Rows) {
        names.insert(row.m_name);
        ++perTable[row.m_table];
    }
    EXPECT_EQ(names.size(), 160u);
    EXPECT_EQ(std::size(Rows), 160u);
    EXPECT_EQ(perTable[PDFL_CoreTable] + perTable[PDFL_PDModelTable] +
                  perTable[PDFL_AcroSupportTable], 46u);
    EXPECT_EQ(perTable[PDFL_CosTable], 41u);
    EXPECT_EQ(perTable[PDFL_AcroViewTable], 72u);
    EXPECT_EQ(perTable[PDFL_WinTable], 1u);
}

TEST_F(HostCallTableTest, UnframedCallsItsSlotOnceWithItsArgumentsAndResult) {
    for (const Row& row : Rows) {
        SCOPED_TRACE(row.m_name);
        VIEW_Recorder::ClearCalls();
        VIEW_Recorder::SetResult(row.m_table, row.m_slot, ResultFor(row));
        Feeder feeder(row.m_args);
        const Outcome outcome = row.m_run(feeder);

        EXPECT_EQ(feeder.Fed(), std::string(row.m_args).size()) << "argument count";
        EXPECT_EQ(feeder.Problems(), "");
        EXPECT_EQ(outcome.m_kind, row.m_result) << "result width";
        EXPECT_EQ(outcome.m_value, Expected(row));
        const std::vector<VIEW_Call>& calls = VIEW_Recorder::Calls();
        ASSERT_EQ(calls.size(), 1u) << "one call, no frame";
        EXPECT_EQ(calls[0].m_table, row.m_table);
        EXPECT_EQ(calls[0].m_slot, row.m_slot);
        EXPECT_EQ(calls[0].m_args, feeder.Expected());
    }
}

TEST_F(HostCallTableTest, FramedCallIsCore2TheSlotCore3) {
    InstallHandler(ThrowingHostErrorHandler);
    for (const Row& row : Rows) {
        SCOPED_TRACE(row.m_name);
        VIEW_Recorder::ClearCalls();
        VIEW_Recorder::SetResult(row.m_table, row.m_slot, ResultFor(row));
        Feeder feeder(row.m_args);
        const Outcome outcome = row.m_run(feeder);

        EXPECT_EQ(outcome.m_value, Expected(row));
        const std::vector<std::pair<int, int>> expected = {
            Core(2), {row.m_table, row.m_slot}, Core(3)};
        EXPECT_EQ(RecordedSlots(), expected);
        ASSERT_EQ(VIEW_Recorder::Calls().size(), 3u);
        EXPECT_EQ(VIEW_Recorder::Calls()[1].m_args, feeder.Expected());
        EXPECT_EQ(VIEW_Frames::Depth(), 0u);
    }
}

TEST_F(HostCallTableTest, HostErrorNamesTheUnitOfEveryWrapper) {
    InstallHandler(ThrowingHostErrorHandler);
    for (const Row& row : Rows) {
        SCOPED_TRACE(row.m_name);
        const std::string name = row.m_name;
        const std::string unit = row.m_table == PDFL_CoreTable          ? "PDFL_CorCalls"
                                 : row.m_table == PDFL_PDModelTable     ? "PDFL_PDCalls"
                                 : row.m_table == PDFL_AcroSupportTable ? "PDFL_ASCalls"
                                 : row.m_table == PDFL_CosTable         ? "PDFL_CosCalls"
                                 : row.m_table == PDFL_AcroViewTable    ? "XCHG_AVCalls"
                                                                        : "XCHG_WinCalls";
        VIEW_Recorder::InjectFault(row.m_table, row.m_slot, 0x00C0FFEE + row.m_slot);
        Feeder feeder(row.m_args);
        try {
            row.m_run(feeder);
            ADD_FAILURE() << "no exception";
        } catch (const HostErrorSeen& seen) {
            EXPECT_EQ(seen.m_code, 0x00C0FFEE + row.m_slot);
            EXPECT_EQ(seen.m_unit, unit);
            EXPECT_GT(seen.m_line, 0);
        }
        EXPECT_EQ(VIEW_Frames::Depth(), 0u);
    }
}

}  // namespace
