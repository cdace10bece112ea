#include "viewer/cos/VCOS_Repairer.h"

#include <new>

#include "viewer/cos/VCOS_Error.h"
#include "viewer/cos/VCOS_Repair.h"

namespace {

// Frees the C side's bytes on every way out.
class RepairHolder {
public:
    RepairHolder() = default;
    ~RepairHolder() { VCOS_FreeRepair(&m_result); }
    RepairHolder(const RepairHolder&) = delete;
    RepairHolder& operator=(const RepairHolder&) = delete;

    VCOS_RepairResult m_result{};
};

}  // namespace

VCOS_Rebuilt VCOS_Repairer::Rebuild(const std::string& bytes) {
    RepairHolder holder;
    VCOS_RepairResult& result = holder.m_result;
    VCOS_RepairPdf(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(), &result);
    switch (result.m_code) {
    case VCOS_RepairOk: break;
    case VCOS_RepairNoMemory: throw std::bad_alloc();
    case VCOS_RepairNeedsPassword: throw VCOS_Error(VCOS_ErrorKind::PasswordNeeded, result.m_message);
    default: throw VCOS_Error(VCOS_ErrorKind::ReadFailed, result.m_message);
    }
    VCOS_Rebuilt rebuilt;
    rebuilt.m_bytes.assign(reinterpret_cast<const char*>(result.m_bytes), result.m_size);
    const int kept = result.m_warnings < VCOS_RepairKeptWarnings ? result.m_warnings : VCOS_RepairKeptWarnings;
    for (int i = 0; i < kept; ++i)
        rebuilt.m_warnings.emplace_back(result.m_warning[i]);
    if (result.m_warnings > kept)
        rebuilt.m_warnings.push_back(std::to_string(result.m_warnings - kept) + " more warnings");
    return rebuilt;
}
