#include "CPDF/color/CPDF_Colorant.h"

#include <algorithm>

namespace {

// The process inks are the first four.
const char* const DeviceNames[] = {"Cyan", "Magenta", "Yellow", "Black", "Gray", "Red", "Green", "Blue"};
const char* const MetaNames[] = {"All", "None"};

template <size_t N>
bool InTable(const GLOB_Name& name, const char* const (&table)[N], size_t count = N) {
    return !name.IsEmpty() && std::any_of(table, table + count, [&](const char* entry) { return name == entry; });
}

}  // namespace

bool CPDF_Colorant::IsCMYKColorant() const { return InTable(m_name, DeviceNames, 4); }

bool CPDF_Colorant::IsDeviceColorant() const { return InTable(m_name, DeviceNames); }

bool CPDF_Colorant::IsMetaColorant() const { return InTable(m_name, MetaNames); }

std::ostream& operator<<(std::ostream& os, const CPDF_Colorant& colorant) { return colorant.Name().Print(os); }
