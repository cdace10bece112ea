#include "viewer/draw/VDRW_DibTarget.h"

#include "viewer/draw/VDRW_Error.h"

VDRW_DibTarget VDRW_DibTarget::FromDC(HDC dc) {
    const HGDIOBJ bitmap = GetCurrentObject(dc, OBJ_BITMAP);
    DIBSECTION section{};
    if (!bitmap || GetObjectA(bitmap, sizeof section, &section) != static_cast<int>(sizeof section) ||
        !section.dsBm.bmBits || section.dsBm.bmBitsPixel != 32 || section.dsBm.bmWidth <= 0 ||
        section.dsBm.bmHeight <= 0 || section.dsBm.bmWidthBytes < section.dsBm.bmWidth * 4)
        throw VDRW_Error("VDRW_DibTarget: the device context holds no 32-bit DIB section");
    VDRW_DibTarget target;
    target.m_bits = static_cast<uint8_t*>(section.dsBm.bmBits);
    target.m_width = section.dsBm.bmWidth;
    target.m_height = section.dsBm.bmHeight;
    target.m_rowBytes = static_cast<size_t>(section.dsBm.bmWidthBytes);
    target.m_topDown = section.dsBmih.biHeight < 0;
    return target;
}
