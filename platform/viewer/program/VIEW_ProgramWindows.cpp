#include "viewer/program/VIEW_ProgramWindows.h"

#include "viewer/VIEW_Recorder.h"
#include "viewer/VIEW_Windows.h"
#include "win32/win32_driver.h"

namespace {

// Controls of the Separations window.
constexpr int kResolutionList = 1002;
constexpr int kInkList = 1003;
constexpr int kMagnificationList = 1020;
constexpr int kStatusLine = 1021;
constexpr int kUpdateButton = 1022;
// The tick box's middle, from an ink item's left edge.
constexpr int kTickMiddle = 30;

}  // namespace

void VIEW_ProgramPump() {
    const VIEW_RecordingPause pause;
    Win32Driver::Pump();
    VIEW_Recorder::ClearCalls();
}

bool VIEW_ProgramWindows::Find() {
    m_dialog = nullptr;
    m_view = nullptr;
    for (const HWND dialog : VIEW_Windows::ServedDialogs())
        if (IsWindowVisible(dialog) && GetDlgItem(dialog, kUpdateButton))
            m_dialog = dialog;
    for (const PDFL_AVWindow window : VIEW_Windows::OwnWindows())
        if (VIEW_Windows::IsVisible(window))
            m_view = window;
    return m_dialog && m_view;
}

HWND VIEW_ProgramWindows::ViewPlatformWindow() const { return VIEW_Windows::PlatformThing(m_view); }

void VIEW_ProgramWindows::Arrange(int width, int height) {
    const HWND view = ViewPlatformWindow();
    RECT frame{0, 0, width, height};
    AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongPtrA(view, GWL_STYLE)), FALSE,
                       static_cast<DWORD>(GetWindowLongPtrA(view, GWL_EXSTYLE)));
    // The interior at the screen's top-left: the tool draws only what lies
    // on the screen.
    const PDFL_AVRect hostFrame{static_cast<int16_t>(frame.left), static_cast<int16_t>(frame.top),
                                static_cast<int16_t>(frame.right), static_cast<int16_t>(frame.bottom)};
    VIEW_Windows::SetFrame(m_view, hostFrame);
    // Nothing is shown before Update composes the view and asks for its
    // paint: a paint of the blank image at the new size would be lost work.
    ValidateRect(view, nullptr);
    VIEW_ProgramPump();
}

void VIEW_ProgramWindows::RaiseDialog() const {
    SetWindowPos(m_dialog, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

int VIEW_ProgramWindows::HighestResolution() const {
    return static_cast<int>(SendMessageA(Item(kResolutionList), CB_GETCOUNT, 0, 0)) - 1;
}

int VIEW_ProgramWindows::ResolutionChoice() const {
    return static_cast<int>(SendMessageA(Item(kResolutionList), CB_GETCURSEL, 0, 0));
}

void VIEW_ProgramWindows::ChooseResolution(int index) {
    RaiseDialog();
    Win32Driver::ChooseComboEntry(Item(kResolutionList), index);
    VIEW_ProgramPump();
}

void VIEW_ProgramWindows::ChooseMagnification(int index) {
    RaiseDialog();
    Win32Driver::ChooseComboEntry(Item(kMagnificationList), index);
    VIEW_ProgramPump();
}

void VIEW_ProgramWindows::PressUpdate() {
    RaiseDialog();
    Win32Driver::PressButton(Item(kUpdateButton));
    VIEW_ProgramPump();
}

void VIEW_ProgramWindows::PressStop() {
    RaiseDialog();
    Win32Driver::PressButton(Item(kUpdateButton));
}

std::string VIEW_ProgramWindows::Status() const {
    char text[256] = {};
    GetDlgItemTextA(m_dialog, kStatusLine, text, sizeof text);
    return text;
}

void VIEW_ProgramWindows::ClickTick(int index) {
    RaiseDialog();
    Win32Driver::ClickListItem(Item(kInkList), index, kTickMiddle);
    VIEW_ProgramPump();
}
