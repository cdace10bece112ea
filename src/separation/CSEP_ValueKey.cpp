#include "separation/CSEP_ValueKey.h"

#include "GLOB/GLOB_Array.h"
#include "GLOB/GLOB_Dict.h"
#include "separation/CSEP_GroupInheritance.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <utility>
#include <vector>

namespace {

// Length-prefixed, so that no text can end where another begins.
void AppendText(char tag, const char* bytes, size_t count, std::string& key) {
    key += tag;
    key += std::to_string(count);
    key += ':';
    key.append(bytes, count);
}

}  // namespace

std::string CSEP_ValueKey::Of(const GLOB_Object& object) {
    std::string key;
    Append(object, key);
    return key;
}

void CSEP_ValueKey::Append(const GLOB_Object& object, std::string& key) {
    if (object.IsIndirect()) {
        key += 'R';
        key += CSEP_GroupInheritance::ObjectKey(object);
        return;
    }
    switch (object.Type()) {
    case GLOB_Object::KindNull: key += 'n'; return;
    case GLOB_Object::KindBoolean: key += object.AsBoolean() ? 't' : 'f'; return;
    case GLOB_Object::KindInteger: key += 'i' + std::to_string(object.AsInteger()) + ';'; return;
    case GLOB_Object::KindReal: {
        char text[40];
        std::snprintf(text, sizeof text, "r%.17g;", object.AsReal());
        key += text;
        return;
    }
    case GLOB_Object::KindName: {
        const GLOB_Name name = object.AsName();
        AppendText('N', name.CStr(), std::strlen(name.CStr()), key);
        return;
    }
    case GLOB_Object::KindString: {
        const std::string bytes = object.AsString().AsStdString();
        AppendText('S', bytes.data(), bytes.size(), key);
        return;
    }
    case GLOB_Object::KindArray: {
        const GLOB_Array elements = object.AsArray();
        key += 'A' + std::to_string(elements.Length()) + ';';
        for (uint32_t i = 0; i < elements.Length(); ++i)
            Append(elements.Get(i), key);
        return;
    }
    case GLOB_Object::KindDict: {
        const GLOB_Dict entries = object.AsDict();
        std::vector<std::pair<std::string, GLOB_Object>> sorted;
        GLOB_Name name;
        GLOB_Object value;
        for (uint32_t k = 0; entries.Entry(k, &name, &value); ++k)
            sorted.emplace_back(name.CStr(), value);
        std::sort(sorted.begin(), sorted.end(),
                  [](const auto& a, const auto& b) { return a.first < b.first; });
        key += 'D' + std::to_string(sorted.size()) + ';';
        for (const auto& entry : sorted) {
            AppendText('N', entry.first.data(), entry.first.size(), key);
            Append(entry.second, key);
        }
        return;
    }
    default:
        // A direct stream or a mark is no value a resource holds: only itself
        // equals it.
        key += 'x';
        key += CSEP_GroupInheritance::ObjectKey(object);
        return;
    }
}
