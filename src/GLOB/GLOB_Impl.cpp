#include "GLOB/GLOB_Impl.h"

#include "GLIB/GLIB_Assert.h"
#include "GLIB/GLIB_Exception.h"
#include "GLIB/GLIB_Log.h"
#include "GLOB/GLOB_Array.h"
#include "GLOB/GLOB_DepthGuard.h"
#include "GLOB/GLOB_Dict.h"
#include "GLOB/GLOB_Doc.h"
#include "GLOB/GLOB_ObjectFactory.h"
#include "GLOB/GLOB_Stream.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <tuple>

namespace {

bool SameHandle(const GLOB_Object& a, const GLOB_Object& b) {
    return a.GetImpl() == b.GetImpl() &&
           std::memcmp(a.GetHandle().m_words, b.GetHandle().m_words, sizeof a.GetHandle().m_words) == 0;
}

// Where the first line of text ends: its first CR, else its first LF, else
// its end.
const char* EndOfFirstLine(const char* text) {
    if (const char* cr = std::strchr(text, '\r'))
        return cr;
    if (const char* lf = std::strchr(text, '\n'))
        return lf;
    return text + std::strlen(text);
}

bool NumbersEqual(double a, double b) {
    const double d = a - b;
    return d >= -1e-6 && d <= 1e-6;
}

}  // namespace

// What one copy of an object graph remembers: the indirect objects copied so
// far, and the containers whose contents are being copied (the path).
class GLOB_Impl::CopyState {
public:
    // A position in a copied container that waits for the copy of a stream
    // whose dictionary is still being copied.
    struct Fixup {
        GLOB_Object m_container;
        GLOB_Name m_key;
        uint32_t m_index;
        bool m_inArray;
    };
    // A container being copied. A stream has no copy yet while its
    // dictionary is copied (m_copy is then the dictionary copy under way).
    struct PathEntry {
        GLOB_Object m_source;
        GLOB_Object m_copy;
        bool m_pendingStream;
        std::vector<Fixup> m_fixups;
    };

    // Keeps source on the path while it lives.
    class OnPathScope {
    public:
        OnPathScope(CopyState& state, const GLOB_Object& source, const GLOB_Object& copy, bool pendingStream)
            : m_state(state), m_at(state.m_path.size()) {
            state.m_path.push_back(PathEntry{source, copy, pendingStream, {}});
        }
        ~OnPathScope() { m_state.m_path.pop_back(); }
        OnPathScope(const OnPathScope&) = delete;
        OnPathScope& operator=(const OnPathScope&) = delete;
        size_t At() const { return m_at; }

    private:
        CopyState& m_state;
        size_t m_at;
    };

    // The copy of an indirect source already copied, or null.
    const GLOB_Object* Find(const GLOB_Object& source) const {
        GLOB_Impl* impl = source.GetImpl();
        const auto range = m_index.equal_range(KeyOf(source));
        for (auto it = range.first; it != range.second; ++it)
            if (impl->IsEqual(source, m_visited[it->second].first))
                return &m_visited[it->second].second;
        return nullptr;
    }
    // Indirect sources only: direct ones are never looked up.
    void Register(const GLOB_Object& source, const GLOB_Object& copy) {
        m_index.emplace(KeyOf(source), m_visited.size());
        m_visited.emplace_back(source, copy);
    }
    // The place on the path of a container being copied, or -1.
    int32_t OnPath(const GLOB_Object& source) const {
        for (size_t i = 0; i < m_path.size(); ++i)
            if (SameHandle(m_path[i].m_source, source))
                return static_cast<int32_t>(i);
        return -1;
    }
    // The pending stream that the Null just returned stands for, or -1.
    int32_t TakePlaceholder() {
        const int32_t at = m_placeholderFor;
        m_placeholderFor = -1;
        return at;
    }
    void AddFixup(int32_t pending, const Fixup& fixup) {
        if (pending >= 0)
            m_path[static_cast<size_t>(pending)].m_fixups.push_back(fixup);
    }

    std::vector<PathEntry> m_path;
    int32_t m_placeholderFor = -1;
    GLOB_DepthGuard* m_innermost = nullptr;

private:
    // Candidates for IsEqual: an indirect object is equal only to one of the
    // same back-end, number and generation.
    using Key = std::tuple<GLOB_Impl*, int32_t, int32_t>;
    static Key KeyOf(const GLOB_Object& source) {
        GLOB_Impl* impl = source.GetImpl();
        return Key(impl, impl->ObjectNumber(source), impl->GenerationNumber(source));
    }

    std::vector<std::pair<GLOB_Object, GLOB_Object>> m_visited;
    std::multimap<Key, size_t> m_index;
};

GLOB_Impl::~GLOB_Impl() = default;

void GLOB_Impl::AddRefObject(const GLOB_Object&) {}

void GLOB_Impl::ReleaseObject(const GLOB_Object&) {}

int32_t GLOB_Impl::FileHandle() { return -1; }

bool GLOB_Impl::HasFileHandle() { return false; }

GLOB_Object GLOB_Impl::NewMark() { return GLOB_ObjectFactory::MemoryDoc().NewMark(); }

void GLOB_Impl::Release(GLOB_Impl** pImpl) {
    GLIB_ASSERT(pImpl != NULL);
    if (pImpl == nullptr || *pImpl == nullptr)
        return;
    GLOB_Impl* impl = *pImpl;
    GLIB_ASSERT_CMP(impl->RefCount(), >, 0u);
    if (impl->m_refCount == 0)
        return;
    --impl->m_refCount;
    // Its own handles let go of it while it is being deleted.
    if (impl->m_deleting)
        return;
    GLIB_ASSERT_CMP(impl->m_refCount, >=, impl->m_selfHeldCount);
    if (impl->m_refCount <= impl->m_selfHeldCount) {
        impl->m_deleting = true;
        delete impl;
        *pImpl = nullptr;
    }
}

void GLOB_Impl::AddSelfHeld(uint32_t count) {
    m_selfHeldCount += count;
    GLIB_ASSERT_CMP(m_selfHeldCount, <=, m_refCount);
}

void GLOB_Impl::DropSelfHeld(uint32_t count) {
    GLIB_ASSERT_CMP(m_selfHeldCount, >=, count);
    m_selfHeldCount -= std::min(count, m_selfHeldCount);
}

bool GLOB_Impl::IsHeader(const char* text) {
    if (text == nullptr || text[0] != '%' || text[1] == '!')
        return false;
    const char* hyphen = std::strchr(text, '-');
    return hyphen != nullptr && hyphen < EndOfFirstLine(text);
}

void GLOB_Impl::SetHeader(const char* text) {
    if (text == nullptr) {
        m_header.clear();
        return;
    }
    m_header.assign(text, EndOfFirstLine(text));
}

GLOB_Object GLOB_Impl::CopyObject(const GLOB_Object& obj, bool force) {
    CopyState state;
    return Copy(obj, state, force);
}

std::shared_ptr<GLOB_Impl::CopyState> GLOB_Impl::NewCopyState() { return std::make_shared<CopyState>(); }

GLOB_Object GLOB_Impl::CopyObjectWith(const GLOB_Object& obj, bool force, CopyState& state) {
    return Copy(obj, state, force);
}

GLOB_Object GLOB_Impl::Local(const GLOB_Object& value) {
    return value.GetImpl() == this ? value : CopyObject(value, true);
}

GLOB_Object GLOB_Impl::Copy(const GLOB_Object& source, CopyState& state, bool force) {
    GLOB_Impl* from = source.GetImpl();
    GLIB_ASSERT(from != nullptr);
    const bool indirect = from->IsIndirect(source);
    if (indirect) {
        if (from == this && !force)
            return source;
        if (const GLOB_Object* done = state.Find(source))
            return *done;
    }

    const int32_t type = from->Type(source);
    GLOB_Object copy;
    switch (type) {
    case GLOB_Object::KindNull:
        copy = NewNull();
        break;
    case GLOB_Object::KindMark:
        copy = NewMark();
        break;
    case GLOB_Object::KindBoolean:
        copy = NewBoolean(from->BooleanValue(source), indirect);
        break;
    case GLOB_Object::KindInteger:
        copy = NewInteger(from->IntegerValue(source), indirect);
        break;
    case GLOB_Object::KindReal:
        copy = NewReal(from->RealValue(source), indirect);
        break;
    case GLOB_Object::KindName:
        copy = NewName(from->NameValue(source), indirect);
        break;
    case GLOB_Object::KindString:
        copy = NewString(from->StringValue(source), indirect);
        break;
    case GLOB_Object::KindArray:
    case GLOB_Object::KindDict:
    case GLOB_Object::KindStream: {
        // A container met again inside itself: the copy under way stands for
        // it, or, for a stream whose copy cannot exist before its dictionary
        // does, a Null that is replaced once the stream is made.
        const int32_t at = state.OnPath(source);
        if (at >= 0) {
            const CopyState::PathEntry& entry = state.m_path[static_cast<size_t>(at)];
            if (!entry.m_pendingStream)
                return entry.m_copy;
            state.m_placeholderFor = at;
            return NewNull();
        }
        break;
    }
    default:
        GLIB_LOG(GLIB_LogWarning, "GLOB_Impl::Copy encountered unknown Object type");
        return NewNull();
    }
    if (type < GLOB_Object::KindArray || type == GLOB_Object::KindMark) {
        if (indirect)
            state.Register(source, copy);
        return copy;
    }
    const GLOB_DepthGuard level(state.m_innermost, "GLOB_Impl::Copy", &source);

    if (type == GLOB_Object::KindArray) {
        const uint32_t n = from->ArrayLength(source);
        copy = NewArray(n, indirect);
        if (indirect)
            state.Register(source, copy);
        CopyState::OnPathScope onPath(state, source, copy, false);
        for (uint32_t i = 0; i < n; ++i) {
            const GLOB_Object element = Copy(from->ArrayGet(source, i), state, force);
            const int32_t pending = state.TakePlaceholder();
            ArrayPut(copy, i, Local(element));
            state.AddFixup(pending, CopyState::Fixup{copy, GLOB_Name(), i, true});
        }
        return copy;
    }

    if (type == GLOB_Object::KindDict) {
        copy = NewDict(0, indirect);
        CopyState::OnPathScope onPath(state, source, copy, false);
        CopyEntries(source, copy, state, force);
        return copy;
    }

    // A stream: its dictionary first, then the stored bytes as they are.
    const GLOB_Object attributes = NewDict(0, false);
    std::vector<CopyState::Fixup> fixups;
    {
        CopyState::OnPathScope onPath(state, source, attributes, true);
        CopyEntries(from->StreamDict(source), attributes, state, force);
        fixups = std::move(state.m_path[onPath.At()].m_fixups);
    }
    GLOB_Stream data = source.OpenStream(0);
    copy = NewStream(data, 1, attributes, NewNull(), -1);
    data = GLOB_Stream();
    if (indirect)
        state.Register(source, copy);
    // The stream keeps its own copy of the attribute dictionary: what was to
    // be patched there is patched through the stream, for this stream and
    // for the streams around it that are still waiting.
    for (CopyState::PathEntry& entry : state.m_path)
        for (CopyState::Fixup& fixup : entry.m_fixups)
            if (SameHandle(fixup.m_container, attributes))
                fixup.m_container = copy;
    for (const CopyState::Fixup& fixup : fixups) {
        const GLOB_Object& container = SameHandle(fixup.m_container, attributes) ? copy : fixup.m_container;
        if (fixup.m_inArray)
            ArrayPut(container, fixup.m_index, copy);
        else
            DictPut(container, fixup.m_key, copy);
    }
    return copy;
}

void GLOB_Impl::CopyEntries(const GLOB_Object& from, const GLOB_Object& to, CopyState& state, bool force) {
    GLOB_Impl* fromImpl = from.GetImpl();
    if (IsIndirect(to) && state.Find(from) == nullptr)
        state.Register(from, to);
    if (fromImpl->Type(from) == GLOB_Object::KindNull)
        return;
    GLIB_ASSERT_CMP(from.IsDict(), ==, true);
    std::vector<Entry> entries;
    fromImpl->DictEntries(from, entries, true);
    for (const Entry& entry : entries) {
        const GLOB_Object value = Copy(entry.second, state, force);
        const int32_t pending = state.TakePlaceholder();
        DictPut(to, entry.first, Local(value));
        state.AddFixup(pending, CopyState::Fixup{to, entry.first, 0, false});
    }
}

GLOB_Object GLOB_Impl::ReplacedBy(const GLOB_Object&) { return GLOB_Object(); }

bool GLOB_Impl::IsEqual(const GLOB_Object& a, const GLOB_Object& b) {
    GLOB_Impl* ia = a.GetImpl();
    GLOB_Impl* ib = b.GetImpl();
    GLIB_ASSERT(ia != nullptr && ib != nullptr);
    const bool indirectA = ia->IsIndirect(a);
    if (indirectA != ib->IsIndirect(b))
        return false;
    const int32_t ta = ia->Type(a);
    const int32_t tb = ib->Type(b);
    if (indirectA) {
        if (ta != tb)
            return false;
        return ia->ObjectNumber(a) == ib->ObjectNumber(b) && ia->GenerationNumber(a) == ib->GenerationNumber(b);
    }
    if (ta != tb) {
        const bool numbers = (ta == GLOB_Object::KindInteger && tb == GLOB_Object::KindReal) ||
                             (ta == GLOB_Object::KindReal && tb == GLOB_Object::KindInteger);
        return numbers && NumbersEqual(ia->RealValue(a), ib->RealValue(b));
    }
    switch (ta) {
    case GLOB_Object::KindNull:
    case GLOB_Object::KindMark:
        return true;
    case GLOB_Object::KindBoolean:
        return ia->BooleanValue(a) == ib->BooleanValue(b);
    case GLOB_Object::KindInteger:
        return ia->IntegerValue(a) == ib->IntegerValue(b);
    case GLOB_Object::KindReal:
        return NumbersEqual(ia->RealValue(a), ib->RealValue(b));
    case GLOB_Object::KindName:
        return ia->NameValue(a) == ib->NameValue(b);
    case GLOB_Object::KindString:
        return ia->StringValue(a) == ib->StringValue(b);
    case GLOB_Object::KindArray:
    case GLOB_Object::KindDict:
    case GLOB_Object::KindStream:
        return std::memcmp(a.GetHandle().m_words, b.GetHandle().m_words, sizeof a.GetHandle().m_words) == 0;
    default:
        GLIB_LOG(GLIB_LogFatal, "Unsupported direct object type: " << ta);
        return false;
    }
}
