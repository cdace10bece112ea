// Modules: handles are the base addresses of loaded objects; LoadLibraryA and
// FreeLibrary count their loads as dlopen does.
#include "win32/win32.h"
#include "win32/win32_path.h"
#include "win32/win32_resources.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <dlfcn.h>
#include <link.h>
#include <map>
#include <strings.h>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

struct Loaded {
    uintptr_t base;
    std::string path;  // empty for the program
};

uintptr_t BaseOf(const dl_phdr_info* info) {
    uintptr_t lowest = UINTPTR_MAX;
    for (int i = 0; i < info->dlpi_phnum; ++i)
        if (info->dlpi_phdr[i].p_type == PT_LOAD)
            lowest = std::min<uintptr_t>(lowest, info->dlpi_phdr[i].p_vaddr);
    const uintptr_t page = static_cast<uintptr_t>(sysconf(_SC_PAGESIZE));
    return lowest == UINTPTR_MAX ? info->dlpi_addr : info->dlpi_addr + (lowest & ~(page - 1));
}

// Every loaded object, the program first.
std::vector<Loaded> LoadedObjects() {
    std::vector<Loaded> objects;
    dl_iterate_phdr(
        [](dl_phdr_info* info, size_t, void* data) {
            static_cast<std::vector<Loaded>*>(data)->push_back({BaseOf(info), info->dlpi_name ? info->dlpi_name : ""});
            return 0;
        },
        &objects);
    return objects;
}

std::string ProgramPath() {
    char path[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    return n > 0 ? std::string(path, static_cast<size_t>(n)) : std::string();
}

std::string LastComponent(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

struct Library {
    void* handle;
    int count;
};

std::map<uintptr_t, Library>& Libraries() {
    static auto* libraries = new std::map<uintptr_t, Library>;
    return *libraries;
}

HMODULE AsModule(uintptr_t base) { return reinterpret_cast<HMODULE>(base); }

}  // namespace

HMODULE Win32ModuleOfAddress(const void* address) {
    Dl_info info;
    if (dladdr(address, &info) == 0)
        return nullptr;
    return static_cast<HMODULE>(info.dli_fbase);
}

HMODULE GetModuleHandleA(LPCSTR name) {
    const std::vector<Loaded> objects = LoadedObjects();
    if (name == nullptr)
        return objects.empty() ? nullptr : AsModule(objects.front().base);
    const std::string wanted = LastComponent(PosixPath(name));
    for (size_t i = 0; i < objects.size(); ++i) {
        const std::string path = i == 0 ? ProgramPath() : objects[i].path;
        if (!path.empty() && strcasecmp(LastComponent(path).c_str(), wanted.c_str()) == 0)
            return AsModule(objects[i].base);
    }
    SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
}

DWORD GetModuleFileNameA(HMODULE module, LPSTR buffer, DWORD size) {
    const std::vector<Loaded> objects = LoadedObjects();
    std::string path;
    bool found = false;
    for (size_t i = 0; i < objects.size() && !found; ++i)
        if (module == nullptr ? i == 0 : AsModule(objects[i].base) == module) {
            path = i == 0 ? ProgramPath() : objects[i].path;
            found = true;
        }
    if (!found) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return 0;
    }
    if (buffer == nullptr || size == 0) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    if (path.size() < size) {
        std::memcpy(buffer, path.c_str(), path.size() + 1);
        return static_cast<DWORD>(path.size());
    }
    std::memcpy(buffer, path.data(), size - 1);
    buffer[size - 1] = '\0';
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return size;
}

HMODULE LoadLibraryA(LPCSTR path) {
    if (path == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    void* handle = dlopen(PosixPath(path).c_str(), RTLD_NOW | RTLD_LOCAL);
    link_map* map = nullptr;
    if (handle == nullptr || dlinfo(handle, RTLD_DI_LINKMAP, &map) != 0 || map == nullptr) {
        if (handle)
            dlclose(handle);
        SetLastError(ERROR_MOD_NOT_FOUND);
        return nullptr;
    }
    uintptr_t base = 0;
    for (const Loaded& object : LoadedObjects())
        if (map->l_name && object.path == map->l_name)
            base = object.base;
    if (base == 0) {
        dlclose(handle);
        SetLastError(ERROR_MOD_NOT_FOUND);
        return nullptr;
    }
    Library& library = Libraries()[base];
    library.handle = handle;
    library.count++;
    return AsModule(base);
}

BOOL FreeLibrary(HMODULE module) {
    const auto it = Libraries().find(reinterpret_cast<uintptr_t>(module));
    if (it == Libraries().end()) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    void* handle = it->second.handle;
    if (--it->second.count == 0)
        Libraries().erase(it);
    dlclose(handle);
    return TRUE;
}
