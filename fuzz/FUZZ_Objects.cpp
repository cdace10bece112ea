#include "FUZZ_Objects.h"

#include "FUZZ_Targets.h"
#include "GLOB/GLOB_Dict.h"
#include "GLOB/GLOB_Stream.h"
#include "support/GLOB_ChunkedCore.h"

#include <cstdlib>
#include <cstring>

namespace {

const char EndObj[] = "endobj";
const char StreamKeyword[] = "stream";
const char EndStream[] = "endstream";

}  // namespace

FUZZ_Objects::FUZZ_Objects(const GLOB_Doc& doc, const std::string& text) {
    for (size_t pos = 0; pos <= text.size() && m_objects.size() < MaxObjects;) {
        const size_t end = std::min(text.find(EndObj, pos), text.size());
        m_objects.push_back(Make(doc, text.substr(pos, end - pos)));
        pos = end + sizeof EndObj - 1;
    }
    for (const GLOB_Object& object : m_objects)
        if (object.IsContainer())
            Resolve(object);
}

GLOB_Object FUZZ_Objects::Make(const GLOB_Doc& doc, const std::string& text) const {
    GLOB_Object object = doc.NewNull();
    const size_t keyword = text.find(StreamKeyword);
    FUZZ_Expect([&] {
        if (keyword == std::string::npos) {
            object = doc.ParseObject(text);
            if (object.IsContainer())
                object = doc.MakeCosObj(object, 0x11);
            return;
        }
        const std::string dictText = text.substr(0, keyword);
        const GLOB_Object dict =
            dictText.find_first_not_of(" \t\r\n\f") == std::string::npos ? GLOB_Object() : doc.ParseObject(dictText);
        if (!dict.IsNull() && !dict.IsDict())
            return;
        size_t start = keyword + sizeof StreamKeyword - 1;
        start += text.compare(start, 2, "\r\n") == 0 ? 2 : start < text.size() && text[start] == '\n' ? 1 : 0;
        size_t end = text.find(EndStream, start);
        if (end == std::string::npos)
            end = text.size();
        else if (end > start && text[end - 1] == '\n')
            end -= end - 1 > start && text[end - 2] == '\r' ? 2 : 1;
        object = doc.NewStream(GLOB_Stream(new GLOB_ChunkedCore(text.substr(start, end - start))), 1, dict,
                               GLOB_Object(), -1);
    });
    return object;
}

void FUZZ_Objects::Resolve(const GLOB_Object& container) const {
    GLOB_Object replacement;
    if (container.IsArray()) {
        for (uint32_t i = 0; i < container.Length(); ++i) {
            const GLOB_Object element = container.Get(i);
            if (Referred(element, &replacement))
                container.ArrayPut(i, replacement);
            else if (element.IsContainer() && element.IsDirect())
                Resolve(element);
        }
        return;
    }
    const GLOB_Object dict = container.IsStream() ? container.StreamDict() : container;
    const GLOB_Dict entries = dict.AsDict();
    GLOB_Name key;
    GLOB_Object value;
    for (uint32_t i = 0; entries.Entry(i, &key, &value); ++i) {
        if (Referred(value, &replacement))
            dict.DictPut(key, replacement);
        else if (value.IsContainer() && value.IsDirect())
            Resolve(value);
    }
}

bool FUZZ_Objects::Referred(const GLOB_Object& value, GLOB_Object* out) const {
    if (!value.IsName())
        return false;
    const char* text = value.AsName().CStr();
    if (!text || text[0] != '@' || text[1] < '0' || text[1] > '9')
        return false;
    char* end = nullptr;
    const unsigned long n = std::strtoul(text + 1, &end, 10);
    if (*end != '\0' || n >= m_objects.size())
        return false;
    *out = m_objects[n];
    return true;
}

std::string FUZZ_Objects::Text(const std::vector<std::string>& objects) {
    std::string text;
    for (const std::string& object : objects)
        text += object + "\n" + EndObj + "\n";
    return text;
}

std::string FUZZ_Objects::Stream(const std::string& dict, const std::string& data) {
    return dict + "\n" + StreamKeyword + "\n" + data + "\n" + EndStream;
}
