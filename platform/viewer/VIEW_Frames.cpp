#include "viewer/VIEW_Frames.h"

#include "viewer/VIEW_Recorder.h"

#include <string>
#include <vector>

namespace {

struct Frame {
    bool m_plugin;                  // pushed by Core 2, else by VIEW_CallPlugin
    bool m_claimed;
    void* m_buffer;
    PDFL_RestoreFrameProc m_restore;
};

struct State {
    std::vector<Frame> m_frames;
    size_t m_slotDepth = 0;
    PDFL_ErrorCode m_handledCode = 0;
};

State& TheState() {
    static State state;
    return state;
}

}  // namespace

void VIEW_Frames::PushPluginFrame(void* frame, PDFL_RestoreFrameProc restore) {
    if (!frame || !restore)
        throw VIEW_AssertionFailure("Core 2 without a frame or a restore procedure");
    TheState().m_frames.push_back({true, false, frame, restore});
}

void VIEW_Frames::PopPluginFrame() {
    std::vector<Frame>& frames = TheState().m_frames;
    if (frames.empty() || !frames.back().m_plugin)
        throw VIEW_AssertionFailure("Core 3 without a plug-in frame on top");
    frames.pop_back();
}

PDFL_ErrorCode VIEW_Frames::HandledErrorCode() {
    return TheState().m_handledCode;
}

long VIEW_Frames::EnterSlot(bool mayClaim) {
    State& state = TheState();
    ++state.m_slotDepth;
    if (!mayClaim || state.m_frames.empty())
        return -1;
    Frame& top = state.m_frames.back();
    if (!top.m_plugin || top.m_claimed)
        return -1;
    top.m_claimed = true;
    return static_cast<long>(state.m_frames.size() - 1);
}

void VIEW_Frames::LeaveSlot() {
    --TheState().m_slotDepth;
}

size_t VIEW_Frames::SlotDepth() {
    return TheState().m_slotDepth;
}

void VIEW_Frames::Raise(PDFL_ErrorCode code, long claimed) {
    State& state = TheState();
    if (claimed >= 0 && static_cast<size_t>(claimed) + 1 == state.m_frames.size()) {
        const Frame& frame = state.m_frames.back();
        state.m_handledCode = code;
        // Reached from the plain part of a slot boundary: nothing with a
        // destructor lives between here and the plug-in's setjmp.
        frame.m_restore(frame.m_buffer);
        throw VIEW_AssertionFailure("a restore procedure returned");
    }
    throw VIEW_HostRaise(code);
}

void VIEW_Frames::PushHostFrame() {
    TheState().m_frames.push_back({false, false, nullptr, nullptr});
}

void VIEW_Frames::PopHostFrame() {
    std::vector<Frame>& frames = TheState().m_frames;
    if (frames.empty() || frames.back().m_plugin)
        throw VIEW_AssertionFailure("the plug-in left a frame pushed");
    frames.pop_back();
}

void VIEW_Frames::RaisedFromPlugin(PDFL_ErrorCode code) {
    if (TheState().m_slotDepth > 0)
        throw VIEW_HostRaise(code);
    VIEW_Recorder::RecordRaisedToHost(code);
}

size_t VIEW_Frames::Depth() {
    return TheState().m_frames.size();
}

void VIEW_Frames::Reset() {
    TheState() = State();
}
