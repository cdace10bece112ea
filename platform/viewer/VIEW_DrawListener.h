// Who listens to the stand-in's page drawings (PDModel slot 151): after each
// drawing that ran to its end over a non-empty device rectangle, the
// listener gets that rectangle's blue bytes (the low byte of each 0x00RRGGBB
// pixel, row after row from the top) and can ask for the document as the
// stand-in drew it. The program takes its plates from here: a drawing of a
// separation page in gray is that ink's plate.
//
// The listener runs inside the slot; it should not throw (an exception
// passes out of the slot as the stand-in's own faults do).
#pragma once

#include "viewer/cos/VCOS_Store.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

struct VIEW_PageDrawing {
    VCOS_DocId m_doc = 0;
    int32_t m_page = 0;  // from 0
    // The device rectangle, half-open, in the bitmap's pixels from the top-left.
    int m_left = 0, m_top = 0, m_width = 0, m_height = 0;
    // The host's matrix, page space (the page box's lower-left corner at 0
    // 0) to the bitmap's pixels: x' = a x + c y + e, y' = b x + d y + f.
    double m_matrix[6] = {1, 0, 0, 1, 0, 0};
    std::vector<uint8_t> m_blue;  // m_width * m_height
    // MuPDF's words for what it could not read of the page; empty when none.
    std::string m_unread;

    // The document written to memory with its external-file streams inlined,
    // as the drawing read it. Only during the listener's call.
    std::string Document() const;
};

// The drawing is the listener's to keep: it may move the pixels out.
using VIEW_DrawListenerProc = std::function<void(VIEW_PageDrawing&&)>;

class VIEW_DrawListener {
public:
    // One listener; an empty one stops listening. The host's reset keeps it.
    static void Set(VIEW_DrawListenerProc listener);
    static bool IsSet();
    static void Tell(VIEW_PageDrawing&& drawing);
};
