#include "FUZZ_ObjectText.h"

#include "FUZZ_Objects.h"
#include "GLOB/GLOB_Impl.h"
#include "GLOB/GLOB_ObjectWriter.h"
#include "GLOB/GLOB_Stream.h"
#include "support/GLOB_ChunkedCore.h"

#include <vector>

namespace {

class ObjectText {
public:
    explicit ObjectText(const GLOB_Object& root) : m_queue{root} {}

    std::string Make() {
        std::vector<std::string> texts;
        // The queue grows while objects are written: each is taken by value.
        for (size_t i = 0; i < m_queue.size(); ++i) {
            const GLOB_Object object = m_queue[i];
            texts.push_back(Body(object));
        }
        return FUZZ_Objects::Text(texts);
    }

private:
    std::string Body(const GLOB_Object& object) {
        auto* core = new GLOB_ChunkedCore();
        GLOB_ObjectWriter writer{GLOB_Stream(core)};
        if (!object.IsStream()) {
            Direct(writer, object, 0);
            writer.Flush();
            return core->written;
        }
        const GLOB_Object dict = object.StreamDict();
        std::vector<GLOB_Impl::Entry> entries;
        dict.GetImpl()->DictEntries(dict, entries, true);
        Dict(writer, entries, 0);
        writer.Flush();
        return FUZZ_Objects::Stream(core->written, StoredData(object));
    }

    static std::string StoredData(const GLOB_Object& stream) {
        GLOB_Stream data = stream.OpenStream(0);
        std::string bytes;
        for (FILT_FilterBuffer* buffer = data.Read(); buffer->DataAvailable() > 0; buffer = data.Read()) {
            bytes.append(reinterpret_cast<const char*>(buffer->GetPtr()), buffer->DataAvailable());
            buffer->AdvanceGetPtr(buffer->DataAvailable());
        }
        data.Close();
        return bytes;
    }

    // The number of an indirect object, queued when first met; -1 past the
    // room for objects.
    int Number(const GLOB_Object& object) {
        for (size_t i = 0; i < m_queue.size(); ++i)
            if (Same(m_queue[i], object))
                return static_cast<int>(i);
        if (m_queue.size() >= FUZZ_Objects::MaxObjects)
            return -1;
        m_queue.push_back(object);
        return static_cast<int>(m_queue.size() - 1);
    }

    // Identity, not equal contents.
    static bool Same(const GLOB_Object& a, const GLOB_Object& b) {
        if (!a.IsIndirect() || !b.IsIndirect())
            return false;
        GLOB_Impl* impl = a.GetImpl();
        return impl == b.GetImpl() && impl->ObjectNumber(a) == impl->ObjectNumber(b) &&
               impl->GenerationNumber(a) == impl->GenerationNumber(b);
    }

    void Value(GLOB_ObjectWriter& writer, const GLOB_Object& value, int depth) {
        if (!value.IsIndirect())
            return Direct(writer, value, depth);
        const int n = Number(value);
        writer.WriteSeparator();
        writer.WriteText(n < 0 ? "null" : ("/@" + std::to_string(n)).c_str());
    }

    void Direct(GLOB_ObjectWriter& writer, const GLOB_Object& object, int depth) {
        if (depth > GLOB_Object::MaxNesting) {
            writer.WriteSeparator();
            writer.WriteText("null");
        } else if (object.IsArray()) {
            writer.WriteSeparator();
            writer.WriteText("[");
            for (uint32_t i = 0, n = object.Length(); i < n; ++i)
                Value(writer, object.Get(i), depth + 1);
            writer.WriteText(" ]");
        } else if (object.IsDict()) {
            std::vector<GLOB_Impl::Entry> entries;
            object.GetImpl()->DictEntries(object, entries, true);
            Dict(writer, entries, depth);
        } else {
            writer.WriteObject(object);
        }
    }

    void Dict(GLOB_ObjectWriter& writer, const std::vector<GLOB_Impl::Entry>& entries, int depth) {
        writer.WriteSeparator();
        writer.WriteText("<<");
        for (const GLOB_Impl::Entry& entry : entries) {
            if (entry.first == GLOB_Name("Length"))
                continue;
            writer.WriteName(entry.first);
            Value(writer, entry.second, depth + 1);
        }
        writer.WriteText(" >>");
    }

    std::vector<GLOB_Object> m_queue;  // object n at index n
};

}  // namespace

std::string FUZZ_ObjectText(const GLOB_Object& root) { return ObjectText(root).Make(); }
