// The stand-in's Cos table as the plug-in calls it: slots by number, atoms,
// host errors caught with their registered texts, and memory streams as
// sources and readers.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "viewer/VIEW_Cos.h"
#include "viewer/VIEW_ErrorRegistry.h"
#include "viewer/VIEW_Frames.h"
#include "viewer/VIEW_Host.h"
#include "viewer/VIEW_HostError.h"
#include "viewer/VIEW_Streams.h"
#include "viewer/host_api.h"

template <int Slot>
typename PDFL_Slot<PDFL_CosTable, Slot>::Proc CosSlot() {
    return reinterpret_cast<typename PDFL_Slot<PDFL_CosTable, Slot>::Proc>(VIEW_Host::Table(PDFL_CosTable)[Slot]);
}

inline PDFL_ASAtom Atom(const char* text) {
    return reinterpret_cast<PDFL_Core_AtomFromStringProc>(VIEW_Host::Table(PDFL_CoreTable)[5])(text);
}

// A host error a slot raised, with the text registered for its code.
struct VIEW_Raised {
    PDFL_ErrorCode m_code = 0;
    std::string m_text;
};

template <class Call>
VIEW_Raised VIEW_RaisedBy(Call call) {
    try {
        call();
    } catch (const VIEW_HostRaise& raise) {
        return VIEW_Raised{raise.Code(), VIEW_ErrorRegistry::Text(raise.Code())};
    }
    ADD_FAILURE() << "no host error";
    return {};
}

// Everything a host stream gives, read in odd pieces; the stream is closed.
inline std::string VIEW_ReadAndClose(PDFL_ASStm stm) {
    std::string bytes;
    char buffer[333];
    while (const uint32_t got = VIEW_Streams::Read(buffer, 1, sizeof buffer, stm))
        bytes.append(buffer, got);
    VIEW_Streams::Close(stm);
    return bytes;
}

class CosSlotsTest : public ::testing::Test {
protected:
    void SetUp() override { VIEW_Host::Reset(); }
    void TearDown() override {
        EXPECT_EQ(VIEW_Frames::Depth(), 0u);
        VIEW_Host::Reset();
    }

    PDFL_CosDoc NewDoc() { return CosSlot<40>()(0); }
    PDFL_CosObj Int(PDFL_CosDoc doc, int32_t value) { return CosSlot<7>()(doc, 0, value); }
    PDFL_CosObj Name(PDFL_CosDoc doc, const char* name) { return CosSlot<10>()(doc, 0, Atom(name)); }
    PDFL_CosObj Dict(PDFL_CosDoc doc, bool indirect = false) { return CosSlot<13>()(doc, indirect, 0); }
    std::string NameText(PDFL_CosObj name) {
        return reinterpret_cast<PDFL_Core_AtomGetStringProc>(VIEW_Host::Table(PDFL_CoreTable)[7])(
            CosSlot<19>()(name));
    }
};

inline bool operator==(PDFL_CosObj a, PDFL_CosObj b) { return a.m_word0 == b.m_word0 && a.m_word1 == b.m_word1; }
inline std::ostream& operator<<(std::ostream& out, PDFL_CosObj obj) {
    return out << "{" << obj.m_word0 << ", " << obj.m_word1 << "}";
}
