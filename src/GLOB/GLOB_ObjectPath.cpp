// Object paths, typed reads by key or path, and the /Type and /Subtype tests
// of GLOB_Object.
#include "GLOB/GLOB_Object.h"

#include "GLIB/GLIB_Exception.h"
#include "GLIB/GLIB_MessageStream.h"
#include "GLIB/GLIB_New.h"
#include "GLOB/GLOB_Impl.h"
#include "GLOB/GLOB_Stream.h"
#include "GLOB/GLOB_StreamLexer.h"
#include "GLOB/GLOB_StringStream.h"

#include <string>

namespace {

// Path messages were composed in a buffer of 512 bytes.
constexpr size_t MaxPathMessage = 511;

[[noreturn]] void PathError(const GLIB_MessageStream& ms) {
    std::string text = ms.str();
    if (text.size() > MaxPathMessage)
        text.resize(MaxPathMessage);
    throw GLIB_Exception(GLOB_PathCode, text, __FILE__, __LINE__);
}

[[noreturn]] void WrongContainer(const GLOB_Name& key, int32_t type, const char* expecting) {
    GLIB_MessageStream ms;
    ms << "CosObj at '" << key.Escaped().AsStdString() << "' has type '" << GLOB_Object::TypeString(type) << "'"
       << expecting;
    PathError(ms);
}

bool IsPath(const char* keyOrPath) { return keyOrPath[0] == '/' || keyOrPath[0] == '['; }

[[noreturn]] void NotFound(const char* key) {
    GLIB_THROW(GLIB_Exception, GLOB_KeyNotFoundCode, "Unable to find " << key);
}

[[noreturn]] void WrongKind(const char* key, const char* expecting, const GLOB_Object& found) {
    GLIB_THROW(GLIB_Exception, GLOB_TypeMismatchCode,
               "Expecting " << key << expecting << GLOB_Object::TypeString(found.Type()));
}

bool IsDictOrStream(int32_t type) { return type == GLOB_Object::KindDict || type == GLOB_Object::KindStream; }

}  // namespace

bool GLOB_Object::ResolvePath(GLOB_Object start, const char* path, GLOB_Object& container, GLOB_Object& value,
                              GLOB_Name& key, int32_t& index) {
    value = start;
    key = GLOB_Name();
    index = 0;
    bool found = true;

    GLOB_StreamLexer lexer(GLOB_Stream(GLIB_NEW GLOB_StringStream(path)));
    bool malformed = false;
    for (GLOB_StreamLexer::Token token = lexer.NextToken(); token != GLOB_StreamLexer::TokenEndOfData;
         token = lexer.NextToken()) {
        container = value;
        const int32_t type = container.Type();
        if (token == GLOB_StreamLexer::TokenName) {
            if (!IsDictOrStream(type))
                WrongContainer(key, type, " expecting Dict or Stream");
            key = GLOB_Name(lexer.NameValue());
            GLOB_Impl* impl = container.GetImpl();
            if (impl->DictKnown(container, key)) {
                value = impl->DictGet(container, key);
            } else {
                value = start.GetImpl()->NewNull();
                found = false;
            }
        } else if (token == GLOB_StreamLexer::TokenArrayBegin) {
            if (lexer.NextToken() != GLOB_StreamLexer::TokenInteger) {
                malformed = true;
                break;
            }
            index = lexer.IntegerValue();
            if (lexer.NextToken() != GLOB_StreamLexer::TokenArrayEnd) {
                malformed = true;
                break;
            }
            if (type != KindArray)
                WrongContainer(key, type, " expecting Array");
            GLOB_Impl* impl = container.GetImpl();
            // A negative index is out of range.
            if (static_cast<uint32_t>(index) < impl->ArrayLength(container)) {
                value = impl->ArrayGet(container, static_cast<uint32_t>(index));
            } else {
                value = start.GetImpl()->NewNull();
                found = false;
            }
        } else {
            malformed = true;
            break;
        }
    }
    if (malformed) {
        GLIB_MessageStream ms;
        ms << "Error parsing '" << path << "' near '" << lexer.TokenText().AsStdString() << "'";
        PathError(ms);
    }
    return found;
}

GLOB_Object GLOB_Object::GetPath(const char* keyOrPath) const {
    if (!IsPath(keyOrPath))
        return m_pImpl->DictGet(*this, GLOB_Name(keyOrPath));
    GLOB_Object container;
    GLOB_Object value;
    GLOB_Name key;
    int32_t index;
    ResolvePath(*this, keyOrPath, container, value, key, index);
    return value;
}

bool GLOB_Object::KnownPath(const char* keyOrPath, GLOB_Object* out) const {
    if (!IsPath(keyOrPath)) {
        const GLOB_Name key(keyOrPath);
        const bool known = m_pImpl->DictKnown(*this, key);
        if (known && out)
            *out = m_pImpl->DictGet(*this, key);
        return known;
    }
    GLOB_Object container;
    GLOB_Object value;
    GLOB_Name key;
    int32_t index;
    const bool known = ResolvePath(*this, keyOrPath, container, value, key, index);
    if (out)
        *out = value;
    return known;
}

void GLOB_Object::PutPath(const char* keyOrPath, const GLOB_Object& value) const {
    if (!IsPath(keyOrPath)) {
        m_pImpl->DictPut(*this, GLOB_Name(keyOrPath), Local(value));
        return;
    }
    GLOB_Object container;
    GLOB_Object found;
    GLOB_Name key;
    int32_t index;
    ResolvePath(*this, keyOrPath, container, found, key, index);
    GLOB_Impl* impl = container.GetImpl();
    const GLOB_Object local = value.GetImpl() == impl ? value : impl->CopyObject(value, true);
    if (container.Type() == KindArray) {
        // Storing at a negative index would grow the array to 2^32 elements.
        if (index < 0) {
            GLIB_MessageStream ms;
            ms << "Array index " << index << " out of range in '" << keyOrPath << "'";
            PathError(ms);
        }
        impl->ArrayPut(container, static_cast<uint32_t>(index), local);
    } else {
        impl->DictPut(container, key, local);
    }
}

void GLOB_Object::RemovePath(const char* keyOrPath) const {
    if (!IsPath(keyOrPath)) {
        m_pImpl->DictRemove(*this, GLOB_Name(keyOrPath));
        return;
    }
    GLOB_Object container;
    GLOB_Object value;
    GLOB_Name key;
    int32_t index;
    if (!ResolvePath(*this, keyOrPath, container, value, key, index))
        return;
    const int32_t type = container.Type();
    if (IsDictOrStream(type))
        container.GetImpl()->DictRemove(container, key);
    else if (type == KindArray)
        container.GetImpl()->ArrayRemove(container, static_cast<uint32_t>(index));
}

bool GLOB_Object::BooleanValue(const char* keyOrPath) const {
    GLOB_Object value;
    if (!KnownPath(keyOrPath, &value))
        NotFound(keyOrPath);
    if (value.Type() != KindBoolean)
        WrongKind(keyOrPath, " to be a boolean, found a ", value);
    return value.AsBoolean();
}

bool GLOB_Object::BooleanValue(const char* keyOrPath, bool defaultValue) const {
    GLOB_Object value;
    if (IsNull() || !KnownPath(keyOrPath, &value))
        return defaultValue;
    if (value.Type() != KindBoolean)
        WrongKind(keyOrPath, " to be a boolean, found a ", value);
    return value.AsBoolean();
}

int32_t GLOB_Object::IntegerValue(const char* keyOrPath) const {
    GLOB_Object value;
    if (!KnownPath(keyOrPath, &value))
        NotFound(keyOrPath);
    if (value.Type() != KindInteger)
        WrongKind(keyOrPath, " to be a Integer, found a ", value);
    return value.AsInteger();
}

int32_t GLOB_Object::IntegerValue(const char* keyOrPath, int32_t defaultValue) const {
    GLOB_Object value;
    if (IsNull() || !KnownPath(keyOrPath, &value))
        return defaultValue;
    if (value.Type() != KindInteger)
        WrongKind(keyOrPath, " to be an integer, found a ", value);
    return value.AsInteger();
}

GLOB_Name GLOB_Object::NameValue(const char* keyOrPath) const {
    GLOB_Object value;
    if (!KnownPath(keyOrPath, &value))
        NotFound(keyOrPath);
    if (value.Type() != KindName)
        WrongKind(keyOrPath, " to be a Name, found a ", value);
    return value.AsName();
}

GLOB_Name GLOB_Object::NameValue(const char* keyOrPath, const GLOB_Name& defaultValue) const {
    GLOB_Object value;
    if (IsNull() || !KnownPath(keyOrPath, &value))
        return defaultValue;
    if (value.Type() != KindName)
        WrongKind(keyOrPath, " to be a name, found a ", value);
    return value.AsName();
}

double GLOB_Object::NumberValue(const char* keyOrPath) const {
    GLOB_Object value;
    if (!KnownPath(keyOrPath, &value))
        NotFound(keyOrPath);
    if (!value.IsNumber())
        WrongKind(keyOrPath, " to be a Number, found a ", value);
    return value.AsNumber();
}

double GLOB_Object::NumberValue(const char* keyOrPath, double defaultValue) const {
    GLOB_Object value;
    if (IsNull() || !KnownPath(keyOrPath, &value))
        return defaultValue;
    if (!value.IsNumber())
        WrongKind(keyOrPath, " to be a real, found a ", value);
    return value.AsNumber();
}

GLOB_String GLOB_Object::StringValue(const char* keyOrPath) const {
    GLOB_Object value;
    if (!KnownPath(keyOrPath, &value))
        NotFound(keyOrPath);
    if (value.Type() != KindString)
        WrongKind(keyOrPath, " to be a String, found a ", value);
    return value.AsString();
}

GLOB_String GLOB_Object::StringValue(const char* keyOrPath, const GLOB_String& defaultValue) const {
    GLOB_Object value;
    if (IsNull() || !KnownPath(keyOrPath, &value))
        return defaultValue;
    if (value.Type() != KindString)
        WrongKind(keyOrPath, " to be a string, found a ", value);
    return value.AsString();
}

bool GLOB_Object::HasSubtype(const char* subtype) const {
    if (!IsDictOrStream(Type()))
        return false;
    const GLOB_Name key("Subtype");
    if (!m_pImpl->DictKnown(*this, key))
        return false;
    const GLOB_Object value = m_pImpl->DictGet(*this, key);
    return value.Type() == KindName && value.AsName() == subtype;
}

bool GLOB_Object::HasType(const char* type, const char* subtype) const {
    if (!IsDictOrStream(Type()))
        return false;
    const GLOB_Object typeValue = m_pImpl->DictGet(*this, GLOB_Name("Type"));
    if (typeValue.Type() != KindName || !(typeValue.AsName() == type))
        return false;
    if (subtype == nullptr)
        return true;
    const GLOB_Object subtypeValue = m_pImpl->DictGet(*this, GLOB_Name("Subtype"));
    return subtypeValue.Type() == KindName && subtypeValue.AsName() == subtype;
}
