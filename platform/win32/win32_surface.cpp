// Backing surfaces: one 32-bit image per top-level window, of its client
// size, that its own and its children's DCs draw into.
#include "win32/win32_gdi_table.h"
#include "win32/win32_window_table.h"

#include <algorithm>
#include <map>

namespace {

struct Surface {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;
};

std::map<HWND, Surface>& Surfaces() {
    static auto* surfaces = new std::map<HWND, Surface>;
    return *surfaces;
}

constexpr uint32_t White = 0x00FFFFFF;

// A resized window keeps what it showed where the old and new sizes overlap.
Surface& SurfaceOf(HWND root, int width, int height) {
    Surface& s = Surfaces()[root];
    if (s.width == width && s.height == height)
        return s;
    std::vector<uint32_t> pixels(static_cast<size_t>(width) * static_cast<size_t>(height), White);
    for (int y = 0; y < std::min(height, s.height); ++y)
        std::copy_n(s.pixels.begin() + static_cast<ptrdiff_t>(y) * s.width, std::min(width, s.width),
                    pixels.begin() + static_cast<ptrdiff_t>(y) * width);
    s = {width, height, std::move(pixels)};
    return s;
}

RECT Intersect(const RECT& a, const RECT& b) {
    return {std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right), std::min(a.bottom, b.bottom)};
}

RECT ClientOnScreen(const Win32Window& w) {
    const POINT o = Win32ClientOrigin(w);
    const POINT s = Win32ClientSize(w);
    return {o.x, o.y, o.x + s.x, o.y + s.y};
}

}  // namespace

bool Win32WindowSurface(HWND window, Win32DrawTarget* target) {
    Win32WindowPtr w = Win32FindWindow(window);
    if (!w)
        return false;
    RECT clip = ClientOnScreen(*w);
    Win32WindowPtr root = w;
    while (root->m_parent) {
        root = Win32FindWindow(root->m_parent);
        if (!root)
            return false;
        clip = Intersect(clip, ClientOnScreen(*root));
    }
    const RECT rootClient = ClientOnScreen(*root);
    Surface& s = SurfaceOf(root->m_handle, std::max<LONG>(rootClient.right - rootClient.left, 0),
                           std::max<LONG>(rootClient.bottom - rootClient.top, 0));
    const POINT origin = Win32ClientOrigin(*w);
    target->m_pixels = s.pixels.data();
    target->m_width = s.width;
    target->m_height = s.height;
    target->m_stride = s.width;
    target->m_origin = {origin.x - rootClient.left, origin.y - rootClient.top};
    target->m_clip = Intersect({clip.left - rootClient.left, clip.top - rootClient.top, clip.right - rootClient.left,
                                clip.bottom - rootClient.top},
                               {0, 0, s.width, s.height});
    return true;
}

void Win32DropSurface(HWND window) { Surfaces().erase(window); }
