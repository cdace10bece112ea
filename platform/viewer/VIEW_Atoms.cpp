#include "viewer/VIEW_Atoms.h"

#include "viewer/VIEW_ErrorRegistry.h"
#include "viewer/VIEW_HostError.h"
#include "viewer/cos/VCOS_KeyHash.h"

#include <deque>
#include <string>
#include <unordered_map>

namespace {

// The severity the stand-in registers its own failure texts with.
constexpr uint16_t kErrorSeverity = 4;

struct Table {
    std::deque<std::string> m_texts;   // atom n is m_texts[n - 1]; a deque keeps c_str() stable
    // Hashed: every dictionary look-up asks for its key's atom. The key
    // per process keeps a file's names from all sharing one chain.
    std::unordered_map<std::string, PDFL_ASAtom, VCOS_KeyHash> m_atoms;
};

Table& TheTable() {
    static Table table;
    return table;
}

}  // namespace

PDFL_ASAtom VIEW_Atoms::FromString(const char* text) {
    if (!text)
        throw VIEW_AssertionFailure("atom of a null text");
    Table& table = TheTable();
    const auto found = table.m_atoms.find(text);
    if (found != table.m_atoms.end())
        return found->second;
    if (table.m_texts.size() >= Capacity) {
        // What the user can act on: the file's names, not the table.
        const std::string message = "the file needs more than 65,535 distinct names";
        throw VIEW_HostRaise(VIEW_ErrorRegistry::Register(kErrorSeverity, message.c_str()));
    }
    table.m_texts.emplace_back(text);
    const PDFL_ASAtom atom = static_cast<PDFL_ASAtom>(table.m_texts.size());
    table.m_atoms.emplace(text, atom);
    return atom;
}

unsigned VIEW_Atoms::Count() { return static_cast<unsigned>(TheTable().m_texts.size()); }

const char* VIEW_Atoms::GetString(PDFL_ASAtom atom) {
    const Table& table = TheTable();
    if (atom == 0 || atom > table.m_texts.size())
        throw VIEW_AssertionFailure("text of unknown atom " + std::to_string(atom));
    return table.m_texts[atom - 1].c_str();
}
