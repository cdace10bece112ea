// A modeless dialog made from a dialog resource and bound to a host window
// around its window, with accessors for its controls and a command hook.
// Exceptions never leave its dialog procedure: they become host errors.
#pragma once

#include "Exchange/XCHG/XCHG_AVWindowObj.h"

#include <cstdint>

class XCHG_Dialog : public XCHG_AVWindowObj {
public:
    XCHG_Dialog() = default;
    // Destroy, then the dialog window when it is still this object's: the
    // dialog manager would go on calling the dialog procedure, which may
    // be in a module about to be closed.
    ~XCHG_Dialog() override;

    LRESULT WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;
    // The module the dialog resource came from; null until created.
    HMODULE ResourceModule() override { return m_resourceModule; }
    void DidActivate() override;
    // The host never destroys a dialog's window.
    void DestroyPlatformThing(HWND) override {}

    virtual UINT ItemText(uint16_t id, char* buffer, int size);
    virtual void SetItemInt(uint16_t id, int32_t value);
    virtual void PutItemText(uint16_t id, const char* text);
    // A button click or a list or combo selection change (the second
    // argument is always 0).
    virtual void Command(uint16_t /*id*/, int32_t /*unused*/) {}
    // WM_COMMAND with notification code 0 or 1 calls Command; every
    // WM_COMMAND answers 1, any other message 0.
    virtual LRESULT DialogMessage(UINT message, WPARAM wParam, LPARAM lParam);

    // Modeless only (a modal flag is an assertion). From the plug-in's
    // resource module, else once more from the plug-in module; the window,
    // even none, is registered with the host's message loop.
    void Create(uint16_t resourceId, int32_t unused, bool modal, uint32_t windowFlags);

    void EnableItem(uint16_t id);
    void DisableItem(uint16_t id);
    void ShowItem(uint16_t id);
    void HideItem(uint16_t id);
    void SetItemText(uint16_t id, const char* text);
    HWND ItemHandle(uint16_t id) const;
    LRESULT ComboSelection(uint16_t id) const;
    void SetComboSelection(uint16_t id, WPARAM index);
    // Inserted at the current count.
    void AppendComboString(uint16_t id, const char* text);
    void ResetCombo(uint16_t id);
    LRESULT ListItemData(uint16_t id, WPARAM index) const;
    void SetListItemData(uint16_t id, WPARAM index, LPARAM data);
    void AddListString(uint16_t id, LPARAM textOrData);
    void ResetList(uint16_t id);

    bool IsModal() const { return m_modal; }
    // The dialog window; null before Create or when none was made.
    HWND DialogWindow() const { return m_dialogWindow; }

    static INT_PTR DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

protected:
    void SetResourceModule(HMODULE module) { m_resourceModule = module; }

private:
    LRESULT SendItem(uint16_t id, UINT message, WPARAM wParam, LPARAM lParam) const;

    bool m_modal = false;
    HMODULE m_resourceModule = nullptr;
    HWND m_dialogWindow = nullptr;
};
