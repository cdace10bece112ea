// The About box: dialog 20000 run modally, showing the version line and
// the About picture; a click anywhere in it ends it.
#pragma once

#include "Exchange/XCHG/XCHG_Dialog.h"

class XCHG_FreebieAboutDialog : public XCHG_Dialog {
public:
    static constexpr uint16_t DialogId = 20000;
    static constexpr uint16_t VersionItem = 20002;
    static constexpr uint16_t PictureItem = 20003;
    static constexpr uint16_t PictureBitmap = 20003;
    static constexpr uint16_t VersionString = 20008;

    // Runs the dialog and returns when it ends.
    void Show() override;
    // "<string 20008> 2.0.7.11" and bitmap 20003.
    void DidCreate() override;
    void MouseDown(int16_t x, int16_t y, void* event) override;
};
