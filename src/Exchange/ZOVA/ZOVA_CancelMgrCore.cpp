#include "Exchange/ZOVA/ZOVA_CancelMgrCore.h"

#include <utility>

ZOVA_CancelMgrCore::ZOVA_CancelMgrCore(std::function<HWND()> stopButton)
    : m_stopButton(std::move(stopButton)) {}

void ZOVA_CancelMgrCore::Poll() {
    if (IsCancelled())
        return;
    const HWND button = m_stopButton ? m_stopButton() : nullptr;
    // A null window would pump every message of the thread.
    if (!button)
        return;
    MSG message;
    if (PeekMessageA(&message, button, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}
