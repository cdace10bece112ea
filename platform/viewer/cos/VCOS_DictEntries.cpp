#include "viewer/cos/VCOS_DictEntries.h"

#include <atomic>

namespace {

std::atomic<uint64_t> g_steps{0};

void Count(uint64_t steps) { g_steps.fetch_add(steps, std::memory_order_relaxed); }

}  // namespace

VCOS_DictEntries::VCOS_DictEntries() = default;
VCOS_DictEntries::~VCOS_DictEntries() = default;
VCOS_DictEntries::VCOS_DictEntries(VCOS_DictEntries&&) noexcept = default;
VCOS_DictEntries& VCOS_DictEntries::operator=(VCOS_DictEntries&&) noexcept = default;

VCOS_DictEntries::VCOS_DictEntries(const VCOS_DictEntries& other) {
    if (!other.m_body)
        return;
    m_body = std::make_unique<Body>();
    m_body->m_items = other.m_body->m_items;
    if (other.m_body->m_index)
        m_body->m_index = std::make_unique<Index>(*other.m_body->m_index);
}

VCOS_DictEntries& VCOS_DictEntries::operator=(const VCOS_DictEntries& other) {
    if (this != &other) {
        VCOS_DictEntries copy(other);
        *this = std::move(copy);
    }
    return *this;
}

const std::vector<VCOS_DictEntries::Item>& VCOS_DictEntries::Items() const {
    static const std::vector<Item> none;
    return m_body ? m_body->m_items : none;
}

uint64_t VCOS_DictEntries::Steps() { return g_steps.load(std::memory_order_relaxed); }

bool VCOS_DictEntries::SameKey::operator()(const std::string& a, const std::string& b) const {
    Count(1);
    return a == b;
}

size_t VCOS_DictEntries::Position(const std::string& key) const {
    const std::vector<Item>& items = Items();
    if (m_body && m_body->m_index) {
        Count(1);
        const auto found = m_body->m_index->find(key);
        return found == m_body->m_index->end() ? items.size() : found->second;
    }
    size_t at = 0;
    while (at < items.size() && items[at].first != key)
        ++at;
    Count(at + 1);
    return at;
}

const VCOS_Obj* VCOS_DictEntries::Find(const std::string& key) const {
    const size_t at = Position(key);
    return at < Size() ? &m_body->m_items[at].second : nullptr;
}

void VCOS_DictEntries::BuildIndex() {
    const std::vector<Item>& items = m_body->m_items;
    auto index = std::make_unique<Index>();
    index->reserve(items.size() * 2);
    for (size_t i = 0; i < items.size(); ++i)
        index->emplace(items[i].first, static_cast<uint32_t>(i));
    Count(items.size());
    m_body->m_index = std::move(index);
}

void VCOS_DictEntries::Put(const std::string& key, VCOS_Obj value) {
    const size_t at = Position(key);
    if (at < Size()) {
        m_body->m_items[at].second = value;
        return;
    }
    if (!m_body)
        m_body = std::make_unique<Body>();
    std::vector<Item>& items = m_body->m_items;
    std::unique_ptr<Index>& index = m_body->m_index;
    items.emplace_back(key, value);
    try {
        if (index)
            index->emplace(key, static_cast<uint32_t>(at));
        else if (items.size() >= IndexFrom)
            BuildIndex();
    } catch (...) {
        // Out of memory: the entry goes again, so that index and entries agree.
        items.pop_back();
        if (index)
            index->erase(key);
        throw;
    }
}

void VCOS_DictEntries::Remove(const std::string& key) {
    const size_t at = Position(key);
    if (at == Size())
        return;
    std::vector<Item>& items = m_body->m_items;
    std::unique_ptr<Index>& index = m_body->m_index;
    if (index) {
        index->erase(key);
        for (auto& [name, position] : *index)
            if (position > at)
                --position;
    }
    Count(items.size() - at + (index ? index->size() : 0));
    items.erase(items.begin() + static_cast<std::ptrdiff_t>(at));
}
