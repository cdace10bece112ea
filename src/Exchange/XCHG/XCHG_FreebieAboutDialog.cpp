#include "Exchange/XCHG/XCHG_FreebieAboutDialog.h"

#include "Exchange/XCHG/XCHG_HostBinding.h"
#include "Exchange/XCHG/XCHG_Resources.h"
#include "GLIB/GLIB_StringUtil.h"

void XCHG_FreebieAboutDialog::Show() {
    HMODULE module = XCHG_AVWindowObj::ResourceModule();
    SetResourceModule(module);
    const auto param = reinterpret_cast<LPARAM>(this);
    if (DialogBoxParamA(module, MAKEINTRESOURCEA(DialogId), gXCHG_MainWindow, &DialogProc,
                        param) <= 0) {
        SetResourceModule(gXCHG_ModuleInstance);
        DialogBoxParamA(gXCHG_ModuleInstance, MAKEINTRESOURCEA(DialogId), gXCHG_MainWindow,
                        &DialogProc, param);
    }
}

void XCHG_FreebieAboutDialog::DidCreate() {
    char text[256];
    XCHG_LoadString(VersionString, text, sizeof text);
    char line[256];
    GLIB_Sprintf(line, sizeof line, "%s %s.%s.%s.%s", text, "2", "0", "7", "11");
    SetItemText(VersionItem, line);
    HBITMAP picture = LoadBitmapA(XCHG_AVWindowObj::ResourceModule(),
                                  MAKEINTRESOURCEA(PictureBitmap));
    if (!picture)
        picture = LoadBitmapA(gXCHG_ModuleInstance, MAKEINTRESOURCEA(PictureBitmap));
    SendDlgItemMessageA(DialogWindow(), PictureItem, STM_SETIMAGE, IMAGE_BITMAP,
                        reinterpret_cast<LPARAM>(picture));
}

void XCHG_FreebieAboutDialog::MouseDown(int16_t, int16_t, void*) {
    EndDialog(DialogWindow(), 1);
}
