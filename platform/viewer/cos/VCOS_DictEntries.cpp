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

VCOS_DictEntries::VCOS_DictEntries(const VCOS_DictEntries& other)
    : m_items(other.m_items), m_index(other.m_index ? std::make_unique<Index>(*other.m_index) : nullptr) {}

VCOS_DictEntries& VCOS_DictEntries::operator=(const VCOS_DictEntries& other) {
    if (this != &other) {
        VCOS_DictEntries copy(other);
        *this = std::move(copy);
    }
    return *this;
}

uint64_t VCOS_DictEntries::Steps() { return g_steps.load(std::memory_order_relaxed); }

bool VCOS_DictEntries::SameKey::operator()(const std::string& a, const std::string& b) const {
    Count(1);
    return a == b;
}

size_t VCOS_DictEntries::Position(const std::string& key) const {
    if (m_index) {
        Count(1);
        const auto found = m_index->find(key);
        return found == m_index->end() ? m_items.size() : found->second;
    }
    size_t at = 0;
    while (at < m_items.size() && m_items[at].first != key)
        ++at;
    Count(at + 1);
    return at;
}

const VCOS_Obj* VCOS_DictEntries::Find(const std::string& key) const {
    const size_t at = Position(key);
    return at < m_items.size() ? &m_items[at].second : nullptr;
}

void VCOS_DictEntries::BuildIndex() {
    auto index = std::make_unique<Index>();
    index->reserve(m_items.size() * 2);
    for (size_t i = 0; i < m_items.size(); ++i)
        index->emplace(m_items[i].first, static_cast<uint32_t>(i));
    Count(m_items.size());
    m_index = std::move(index);
}

void VCOS_DictEntries::Put(const std::string& key, VCOS_Obj value) {
    const size_t at = Position(key);
    if (at < m_items.size()) {
        m_items[at].second = value;
        return;
    }
    m_items.emplace_back(key, value);
    try {
        if (m_index)
            m_index->emplace(key, static_cast<uint32_t>(at));
        else if (m_items.size() >= IndexFrom)
            BuildIndex();
    } catch (...) {
        // Out of memory: the entry goes again, so that index and entries agree.
        m_items.pop_back();
        if (m_index)
            m_index->erase(key);
        throw;
    }
}

void VCOS_DictEntries::Remove(const std::string& key) {
    const size_t at = Position(key);
    if (at == m_items.size())
        return;
    if (m_index) {
        m_index->erase(key);
        for (auto& [name, position] : *m_index)
            if (position > at)
                --position;
    }
    Count(m_items.size() - at + (m_index ? m_index->size() : 0));
    m_items.erase(m_items.begin() + static_cast<std::ptrdiff_t>(at));
}
