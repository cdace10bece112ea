#include "FUZZ_SepJob.h"

#include "CPDF/document/CPDF_MemoryImpl.h"
#include "FUZZ_Targets.h"
#include "GLOB/GLOB_Dict.h"
#include "GLOB/GLOB_Stream.h"

#include <cstdlib>
#include <dirent.h>
#include <functional>
#include <unistd.h>

namespace {

// The folder, made under the TMPDIR the process started with.
class PrivateDir {
public:
    PrivateDir() {
        const char* base = std::getenv("TMPDIR");
        std::string pattern = std::string(base && *base ? base : "/tmp") + "/tintscope-fuzz-XXXXXX";
        if (mkdtemp(&pattern[0]))
            m_path = pattern;
    }
    ~PrivateDir() {
        if (!m_path.empty())
            rmdir(m_path.c_str());
    }
    const std::string& Path() const { return m_path; }

private:
    std::string m_path;
};

const std::string& PrivatePath() {
    static const PrivateDir dir;
    return dir.Path();
}

// Adds the nodes of function's tree to count, stopping past the bound.
void CountPaths(const GLOB_Object& function, size_t& count, uint32_t depth) {
    if (++count > FUZZ_MaxFunctionPaths || depth > GLOB_Object::MaxNesting)
        return;
    if (!function.IsDict() && !function.IsStream())
        return;
    const GLOB_Object functions = function.DictGet(GLOB_Name("Functions"));
    for (uint32_t i = 0; functions.IsArray() && i < functions.Length() && count <= FUZZ_MaxFunctionPaths; ++i)
        CountPaths(functions.Get(i), count, depth + 1);
}

}  // namespace

bool FUZZ_HasEnormousTree(const GLOB_Object& object, uint32_t depth) {
    if (!object.IsContainer() || depth > GLOB_Object::MaxNesting)
        return false;
    if (object.IsArray()) {
        for (uint32_t i = 0; i < object.Length(); ++i) {
            const GLOB_Object element = object.Get(i);
            if (element.IsDirect() && FUZZ_HasEnormousTree(element, depth + 1))
                return true;
        }
        return false;
    }
    const GLOB_Object dict = object.IsStream() ? object.StreamDict() : object;
    if (dict.DictGet(GLOB_Name("Functions")).IsArray()) {
        size_t count = 0;
        CountPaths(object, count, 0);
        if (count > FUZZ_MaxFunctionPaths)
            return true;
    }
    const GLOB_Dict entries = dict.AsDict();
    GLOB_Object value;
    for (uint32_t i = 0; entries.Entry(i, nullptr, &value); ++i)
        if (value.IsDirect() && FUZZ_HasEnormousTree(value, depth + 1))
            return true;
    return false;
}


FUZZ_TempDirScope::FUZZ_TempDirScope() : m_had(std::getenv("TMPDIR") != nullptr), m_old(m_had ? std::getenv("TMPDIR") : "") {
    if (!PrivatePath().empty())
        setenv("TMPDIR", PrivatePath().c_str(), 1);
}

FUZZ_TempDirScope::~FUZZ_TempDirScope() { m_had ? setenv("TMPDIR", m_old.c_str(), 1) : unsetenv("TMPDIR"); }

const std::string& FUZZ_TempDirScope::Dir() { return PrivatePath(); }

void FUZZ_TempDirScope::ExpectNoTempFiles(const char* where) const {
    ExpectLeftOut(where, [](const std::string& name) { return name.compare(0, 3, "VDQ") == 0; });
}

void FUZZ_TempDirScope::ExpectOnly(const std::string& kept, const char* where) const {
    ExpectLeftOut(where, [&](const std::string& name) { return name != kept && name != "." && name != ".."; });
}

void FUZZ_TempDirScope::ExpectLeftOut(const char* where, const std::function<bool(const std::string&)>& ours) const {
    std::string left;
    if (DIR* d = opendir(PrivatePath().c_str())) {
        while (dirent* e = readdir(d)) {
            const std::string name = e->d_name;
            if (ours(name)) {
                left += " " + name;
                unlink((PrivatePath() + "/" + name).c_str());
            }
        }
        closedir(d);
    }
    if (!left.empty())
        throw FUZZ_Finding(std::string("Temporary files left ") + where + ":" + left);
}

CSEP_SepJobContext FUZZ_NewJob(const std::vector<CPDF_Colorant>& spots, bool external, uint32_t compressionMode) {
    CPDF_Doc doc = CPDF_MemoryImpl::Make();
    doc.Create();
    CSEP_SepJobContext job;
    job.SetDocAndColorants(doc, spots);
    job.SetUseExternalStreams(external ? 1 : 0);
    job.SetCompressionMode(compressionMode);
    return job;
}

CSEP_SepJobContext FUZZ_NewJob(uint8_t flags) {
    return FUZZ_NewJob({CPDF_Colorant("Spot")}, flags & 1, flags & 2 ? 1 : 0);
}

std::string FUZZ_StreamBytes(const GLOB_Object& stream, size_t limit) {
    GLOB_Stream data = stream.OpenStream(2);
    std::string bytes;
    for (FILT_FilterBuffer* buffer = data.Read(); buffer->DataAvailable() > 0; buffer = data.Read()) {
        const size_t n = std::min<size_t>(buffer->DataAvailable(), limit - bytes.size());
        bytes.append(reinterpret_cast<const char*>(buffer->GetPtr()), n);
        buffer->AdvanceGetPtr(buffer->DataAvailable());
        if (bytes.size() >= limit)
            break;
    }
    data.Close();
    return bytes;
}
