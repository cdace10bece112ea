// The Separations window's ink list: its items and their records, their
// drawing, and what a click or double click on an item does.
#include "Exchange/ZOVA/ZOVA_ColorDialog.h"

#include "Exchange/XCHG/XCHG_Resources.h"
#include "Exchange/ZOVA/ZOVA_ColorSepTool.h"
#include "Exchange/ZOVA/ZOVA_InkSwatch.h"
#include "Exchange/ZOVA/ZOVA_Resources.h"

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr size_t TextBytes = 256;

// The chooser's custom colours, kept while the plug-in is loaded.
COLORREF g_customColors[16] = {};

class ListDC {
public:
    explicit ListDC(HWND list) : m_list(list), m_dc(GetDC(list)) {}
    ~ListDC() { ReleaseDC(m_list, m_dc); }
    ListDC(const ListDC&) = delete;
    ListDC& operator=(const ListDC&) = delete;
    HDC Get() const { return m_dc; }

private:
    HWND m_list;
    HDC m_dc;
};

ZOVA_InkItem* RecordOf(ULONG_PTR data) {
    return data == 0 || static_cast<LRESULT>(data) == LB_ERR ? nullptr
                                                             : reinterpret_cast<ZOVA_InkItem*>(data);
}

void DrawSwatch(HDC dc, const RECT& r, COLORREF swatch) {
    const HGDIOBJ oldPen = SelectObject(dc, GetStockObject(WHITE_PEN));
    Rectangle(dc, r.left + 2, r.top, r.left + 17, r.bottom);
    SelectObject(dc, GetStockObject(BLACK_PEN));
    Rectangle(dc, r.left + 3, r.top + 1, r.left + 16, r.bottom - 1);
    SelectObject(dc, oldPen);
    const HBRUSH brush = CreateSolidBrush(swatch);
    const RECT fill{r.left + 4, r.top + 2, r.left + 15, r.bottom - 2};
    FillRect(dc, &fill, brush);
    DeleteObject(brush);
}

void DrawTick(HDC dc, const RECT& r, HBITMAP tick) {
    const HDC memory = CreateCompatibleDC(dc);
    const HGDIOBJ old = SelectObject(memory, tick);
    BitBlt(dc, r.left + ZOVA_ColorDialog::TickLeft, r.top, r.right - r.left, r.bottom - r.top, memory, 0,
           0, SRCCOPY);
    SelectObject(memory, old);
    DeleteDC(memory);
}

}  // namespace

void ZOVA_ColorDialog::LoadTickBitmaps() {
    if (!m_tickedBitmap)
        m_tickedBitmap = XCHG_LoadBitmap(ZOVA_BitmapTicked);
    if (!m_untickedBitmap)
        m_untickedBitmap = XCHG_LoadBitmap(ZOVA_BitmapUnticked);
}

void ZOVA_ColorDialog::FillInkList(ZOVA_View& view) {
    std::vector<CPDF_Colorant> names;
    view.ColorantNames(names);
    std::vector<CPDF_Color> colors;
    view.ColorantColors(colors);
    ResetList(ZOVA_ItemInkList);
    LoadTickBitmaps();
    const HWND list = ItemHandle(ZOVA_ItemInkList);
    const ListDC dc(list);
    int widest = 0;
    for (size_t i = 0; i < names.size(); ++i) {
        // Items are read back into a buffer of TextBytes; a page's ink name
        // has no length limit.
        const std::string name = std::string(names[i].CStr()).substr(0, TextBytes - 1);
        auto record = std::make_unique<ZOVA_InkItem>();
        record->m_swatch = ZOVA_SwatchColor(colors[i]);
        record->m_tick = view.IsColorantShown(static_cast<int32_t>(i)) ? m_tickedBitmap : m_untickedBitmap;
        AddListString(ZOVA_ItemInkList, reinterpret_cast<LPARAM>(name.c_str()));
        SIZE extent{};
        GetTextExtentPoint32A(dc.Get(), name.c_str(), static_cast<int>(name.size()), &extent);
        widest = std::max(widest, static_cast<int>(extent.cx));
        SetListItemData(ZOVA_ItemInkList, i, reinterpret_cast<LPARAM>(record.release()));
    }
    SendMessageA(list, LB_SETCURSEL, 0, 0);
    SendMessageA(list, LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(widest + NameLeft), 0);
}

LRESULT ZOVA_ColorDialog::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_MEASUREITEM:
        reinterpret_cast<MEASUREITEMSTRUCT*>(lParam)->itemHeight = ItemHeight;
        return 1;
    case WM_DELETEITEM:
        DeleteInkItem(*reinterpret_cast<const DELETEITEMSTRUCT*>(lParam));
        return 1;
    case WM_DRAWITEM:
        if (wParam != ZOVA_ItemInkList)
            break;
        return DrawInkItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
    case WM_COMMAND:
        if (LOWORD(wParam) != ZOVA_ItemInkList ||
            (HIWORD(wParam) != LBN_SELCHANGE && HIWORD(wParam) != LBN_DBLCLK))
            break;
        InkListNotified(HIWORD(wParam));
        return 1;
    default:
        break;
    }
    return XCHG_Dialog::WindowProc(window, message, wParam, lParam);
}

void ZOVA_ColorDialog::DeleteInkItem(const DELETEITEMSTRUCT& item) {
    if (item.itemID == static_cast<UINT>(-1))
        return;
    // The list has let the item go when it says so: its data comes with
    // the message.
    delete RecordOf(item.itemData);
}

LRESULT ZOVA_ColorDialog::DrawInkItem(const DRAWITEMSTRUCT& item) {
    if (item.itemID == static_cast<UINT>(-1))
        return 1;
    if (item.itemAction != ODA_DRAWENTIRE && item.itemAction != ODA_SELECT)
        return 1;
    const RECT& r = item.rcItem;
    if (const ZOVA_InkItem* record = RecordOf(item.itemData)) {
        DrawSwatch(item.hDC, r, record->m_swatch);
        if (record->m_tick)
            DrawTick(item.hDC, r, record->m_tick);
    }
    char text[TextBytes] = {};
    const LRESULT length = SendMessageA(item.hwndItem, LB_GETTEXT, item.itemID, reinterpret_cast<LPARAM>(text));
    TEXTMETRICA metrics{};
    GetTextMetricsA(item.hDC, &metrics);
    if (length > 0)
        TextOutA(item.hDC, r.left + NameLeft, (r.bottom + r.top - metrics.tmHeight) / 2, text,
                 static_cast<int>(length));
    return 0;
}

void ZOVA_ColorDialog::InkListNotified(WORD notification) {
    const HWND list = ItemHandle(ZOVA_ItemInkList);
    const LRESULT index = SendMessageA(list, LB_GETCURSEL, 0, 0);
    // A selection moved by the keyboard has no release point.
    if (index < 0 || !m_tool || !m_inkListMouse.HasPoint())
        return;
    RECT r{};
    if (SendMessageA(list, LB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&r)) == LB_ERR)
        return;
    ZOVA_InkItem* record = RecordOf(static_cast<ULONG_PTR>(ListItemData(ZOVA_ItemInkList, static_cast<WPARAM>(index))));
    if (!record)
        return;
    // The item rectangle is in client coordinates, already moved by the
    // horizontal scroll, as the release point is.
    const int x = m_inkListMouse.LastX() - r.left;
    const auto ink = static_cast<int32_t>(index);
    RECT area{};
    if (x >= TickLeft && x <= TickRight) {
        ToggleInk(ink, *record);
        area = {r.left + TickLeft, r.top, r.left + TickRight, r.bottom};
    } else if (x >= SwatchLeft && x <= SwatchRight && notification == LBN_DBLCLK) {
        if (!ChooseInkColor(ink, *record))
            return;
        area = {r.left + SwatchLeft, r.top, r.left + SwatchRight, r.bottom};
    } else {
        return;
    }
    area.left = std::max<LONG>(area.left, 0);
    area.right = std::max<LONG>(area.right, 0);
    RedrawWindow(list, &area, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    UpdateWindow(list);
}

void ZOVA_ColorDialog::ToggleInk(int32_t index, ZOVA_InkItem& record) {
    const bool shown = !m_tool->CurrentView().IsColorantShown(index);
    m_tool->SetInkShown(index, shown);
    record.m_tick = shown ? m_tickedBitmap : m_untickedBitmap;
}

bool ZOVA_ColorDialog::ChooseInkColor(int32_t index, ZOVA_InkItem& record) {
    CHOOSECOLORA choose{};
    choose.lStructSize = sizeof choose;
    choose.hwndOwner = DialogWindow();
    choose.rgbResult = record.m_swatch;
    choose.lpCustColors = g_customColors;
    choose.Flags = CC_RGBINIT | CC_FULLOPEN;
    if (!ChooseColorA(&choose))
        return false;
    m_tool->SetInkColor(index, ZOVA_InkColorOf(choose.rgbResult));
    record.m_swatch = choose.rgbResult;
    return true;
}
