// The C++ side of the MuPDF interface: holders that drop what VDRW_MuPDF.h
// hands out, and the one place a failed status becomes an exception, thrown
// after the C call has returned (never across a fz_try).
#pragma once

#include <memory>
#include <new>
#include <string>

#include "viewer/draw/VDRW_Error.h"
#include "viewer/draw/VDRW_MuPDF.h"

struct VDRW_EngineDropper {
    void operator()(VDRW_Engine* engine) const { VDRW_DropEngine(engine); }
};
using VDRW_EngineHolder = std::unique_ptr<VDRW_Engine, VDRW_EngineDropper>;

// Documents and lists are dropped with the engine that made them; it must
// outlive them.
template <class T, void (*Drop)(VDRW_Engine*, T*)>
class VDRW_Held {
public:
    VDRW_Held() = default;
    VDRW_Held(VDRW_Engine* engine, T* held) : m_engine(engine), m_held(held) {}
    VDRW_Held(VDRW_Held&& other) noexcept : m_engine(other.m_engine), m_held(other.Release()) {}
    VDRW_Held& operator=(VDRW_Held&& other) noexcept {
        if (this != &other) {
            Reset();
            m_engine = other.m_engine;
            m_held = other.Release();
        }
        return *this;
    }
    VDRW_Held(const VDRW_Held&) = delete;
    VDRW_Held& operator=(const VDRW_Held&) = delete;
    ~VDRW_Held() { Reset(); }

    T* Get() const { return m_held; }
    void Reset() {
        if (m_held)
            Drop(m_engine, m_held);
        m_held = nullptr;
    }

private:
    T* Release() {
        T* held = m_held;
        m_held = nullptr;
        return held;
    }

    VDRW_Engine* m_engine = nullptr;
    T* m_held = nullptr;
};

using VDRW_DocumentHolder = VDRW_Held<VDRW_Document, VDRW_DropDocument>;
using VDRW_PageListHolder = VDRW_Held<VDRW_PageList, VDRW_DropPageList>;

// Runs call(&status), one C function of VDRW_MuPDF.h, and throws when the
// status says it failed: std::bad_alloc for MuPDF's out-of-memory (so it
// keeps its kind), VDRW_Error naming what for anything else.
template <class Call>
auto VDRW_Checked(const char* what, Call call) {
    VDRW_Status status{};
    auto result = call(&status);
    if (status.m_code == VDRW_StatusNoMemory)
        throw std::bad_alloc();
    if (status.m_code != VDRW_StatusOk)
        throw VDRW_Error(std::string("VDRW_PageDrawer: ") + what + ": " + status.m_message);
    return result;
}
