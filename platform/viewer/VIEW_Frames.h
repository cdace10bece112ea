// The host's exception-frame stack (Core slots 2, 3 and 4) and the
// stand-in's own frames around every call into the plug-in.
//
// Two kinds of frame share one stack:
// - plug-in frames, pushed by Core 2 with a jump buffer and a restore
//   procedure and popped by Core 3;
// - stand-in frames, pushed by VIEW_CallPlugin around each call into the
//   plug-in; they are C++ try blocks, never jumped to.
// A raise reaches a plug-in frame's restore procedure only from the slot
// call that frame was pushed around (the first slot entered while it is the
// innermost frame claims it). Any other raise travels on as VIEW_HostRaise.
#pragma once

#include "viewer/VIEW_HostError.h"
#include "viewer/host_api.h"

#include <cstddef>
#include <type_traits>

class VIEW_Frames {
public:
    // Core 2 and 3. Popping anything but an unclaimed-or-claimed plug-in
    // frame on top is a VIEW_AssertionFailure.
    static void PushPluginFrame(void* frame, PDFL_RestoreFrameProc restore);
    static void PopPluginFrame();
    // Core 4: the code of the host error last handed to a restore procedure.
    static PDFL_ErrorCode HandledErrorCode();

    // Around every slot procedure. Enter returns the index of the frame the
    // call claimed, or -1; frame slots (Core 1 to 4) never claim.
    static long EnterSlot(bool mayClaim);
    static void LeaveSlot();
    static size_t SlotDepth();
    // After the slot's catch block has ended: jumps to the claimed frame
    // when it is innermost, else throws VIEW_HostRaise(code) on.
    [[noreturn]] static void Raise(PDFL_ErrorCode code, long claimed);

    // Around every call into the plug-in.
    static void PushHostFrame();
    static void PopHostFrame();
    // A raise that left the plug-in: inside a slot call it travels on to
    // that slot; at the top of an event it is recorded as raised to host.
    static void RaisedFromPlugin(PDFL_ErrorCode code);

    static size_t Depth();
    static void Reset();
};

// Runs call (a call into the plug-in) inside a stand-in frame. A host error
// raised in it is caught here; program exceptions pass unchanged.
template <class Call>
auto VIEW_CallPlugin(Call&& call) -> decltype(call()) {
    using Result = decltype(call());
    PDFL_ErrorCode code = 0;
    VIEW_Frames::PushHostFrame();
    try {
        if constexpr (std::is_void_v<Result>) {
            call();
            VIEW_Frames::PopHostFrame();
            return;
        } else {
            Result result = call();
            VIEW_Frames::PopHostFrame();
            return result;
        }
    } catch (const VIEW_HostRaise& raise) {
        VIEW_Frames::PopHostFrame();
        code = raise.Code();
    } catch (...) {
        VIEW_Frames::PopHostFrame();
        throw;
    }
    VIEW_Frames::RaisedFromPlugin(code);
    if constexpr (!std::is_void_v<Result>)
        return Result{};
}
