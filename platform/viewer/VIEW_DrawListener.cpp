#include "viewer/VIEW_DrawListener.h"

#include "viewer/VIEW_Cos.h"
#include "viewer/draw/VDRW_InlineWriter.h"

#include <utility>

namespace {

VIEW_DrawListenerProc& Listener() {
    static VIEW_DrawListenerProc listener;
    return listener;
}

}  // namespace

std::string VIEW_PageDrawing::Document() const { return VDRW_InlineWriter::Write(VIEW_Cos::Store(), m_doc); }

void VIEW_DrawListener::Set(VIEW_DrawListenerProc listener) { Listener() = std::move(listener); }

bool VIEW_DrawListener::IsSet() { return static_cast<bool>(Listener()); }

void VIEW_DrawListener::Tell(VIEW_PageDrawing&& drawing) {
    if (Listener())
        Listener()(std::move(drawing));
}
