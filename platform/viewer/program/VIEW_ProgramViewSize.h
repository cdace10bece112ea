// How large the program makes the view window's interior: the page box at
// the chosen resolution (Fit at 100 dpi), its sides swapped for /Rotate 90
// and 270, rounded up; at most MaxSide a side, beyond which the view shows
// the middle of the page. The stand-in's screen is that size, at least
// 1024 x 768.
#pragma once

struct VIEW_ViewSize {
    static constexpr int MaxSide = 8192;
    static constexpr int FitDpi = 100;
    static constexpr int MinScreenWidth = 1024;
    static constexpr int MinScreenHeight = 768;

    int m_width = 0;
    int m_height = 0;
    bool m_cut = false;  // a side was beyond MaxSide
    int m_screenWidth = 0;
    int m_screenHeight = 0;

    // boxWidth and boxHeight in points (the page box unrotated); dpi 0 for
    // Fit; rotate 0, 90, 180 or 270.
    static VIEW_ViewSize For(double boxWidth, double boxHeight, int rotate, int dpi);
};
