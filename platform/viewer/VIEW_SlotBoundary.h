// The one pattern of every slot procedure of the stand-in. A slot runs its
// C++ body, catches only VIEW_HostRaise, leaves the catch block, and then
// either returns to the plug-in frame pushed around this very call (its
// restore procedure, from this plain frame) or throws the raise on.
// Every other exception passes through unchanged, so no slot is noexcept.
#pragma once

#include "viewer/VIEW_Frames.h"
#include "viewer/VIEW_HostError.h"
#include "viewer/host_api.h"

#include <cstdint>
#include <type_traits>
#include <vector>

// ---- Arguments as words (VIEW_Call) ----------------------------------------

inline void VIEW_AppendWords(std::vector<uint64_t>& words, PDFL_CosObj obj) {
    words.push_back(obj.m_word0);
    words.push_back(obj.m_word1);
}
inline void VIEW_AppendWords(std::vector<uint64_t>& words, const PDFL_FixedRect& rect) {
    for (PDFL_Fixed value : {rect.m_left, rect.m_bottom, rect.m_right, rect.m_top})
        words.push_back(static_cast<uint32_t>(value));
}
template <class T>
void VIEW_AppendWords(std::vector<uint64_t>& words, T value) {
    if constexpr (std::is_pointer_v<T>)
        words.push_back(reinterpret_cast<uintptr_t>(value));
    else
        words.push_back(static_cast<std::make_unsigned_t<T>>(value));
}

template <class... Args>
std::vector<uint64_t> VIEW_Words(const Args&... args) {
    std::vector<uint64_t> words;
    (VIEW_AppendWords(words, args), ...);
    return words;
}

// ---- A result word as the slot's result type -------------------------------

template <class R>
R VIEW_FromWord(uint64_t word) {
    if constexpr (std::is_void_v<R>)
        return;
    else if constexpr (std::is_same_v<R, PDFL_CosObj>)
        return PDFL_CosObj{static_cast<uint32_t>(word), static_cast<uint32_t>(word >> 32)};
    else if constexpr (std::is_pointer_v<R>)
        return reinterpret_cast<R>(static_cast<uintptr_t>(word));
    else
        return static_cast<R>(word);
}

// ---- The boundary ------------------------------------------------------------

// Body is the slot's C++ body, called with the arguments; Core slots 1 to 4
// (the frame slots) never claim a frame.
template <int Table, int Slot, class R, class Body, class... Args>
R VIEW_SlotBoundary(Body body, Args... args) {
    constexpr bool frameSlot = Table == PDFL_CoreTable && Slot >= 1 && Slot <= 4;
    const long claimed = VIEW_Frames::EnterSlot(!frameSlot);
    PDFL_ErrorCode code = 0;
    try {
        if constexpr (std::is_void_v<R>) {
            body(args...);
            VIEW_Frames::LeaveSlot();
            return;
        } else {
            R result = body(args...);
            VIEW_Frames::LeaveSlot();
            return result;
        }
    } catch (const VIEW_HostRaise& raise) {
        code = raise.Code();
    } catch (...) {
        VIEW_Frames::LeaveSlot();
        throw;
    }
    // Plain from here: the caught exception is freed, nothing has a destructor.
    VIEW_Frames::LeaveSlot();
    VIEW_Frames::Raise(code, claimed);
}
