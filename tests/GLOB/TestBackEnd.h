// A second document back-end for the tests: objects are nodes of an arena
// that lives as long as the back-end; a handle's first word names its node.
// Unlike the memory back-end it keeps stream data (raw, never encoded), so
// copies and comparisons of streams can be tested across back-ends. It
// counts the streams it opens. Values put into it must be its own.
#pragma once

#include "GLIB/GLIB_New.h"
#include "GLOB/GLOB_Array.h"
#include "GLOB/GLOB_Dict.h"
#include "GLOB/GLOB_Doc.h"
#include "GLOB/GLOB_Impl.h"
#include "GLOB/GLOB_Stream.h"
#include "GLOB/GLOB_StringStream.h"

#include <algorithm>
#include <deque>
#include <stdexcept>
#include <string>
#include <vector>

class TestBackEnd : public GLOB_Impl {
public:
    static GLOB_Doc Make() { return GLOB_Doc(GLIB_NEW TestBackEnd()); }
    static TestBackEnd* Of(const GLOB_Doc& doc) { return static_cast<TestBackEnd*>(doc.Impl()); }
    // A stream of data whose dictionary holds the entries of attributes.
    static GLOB_Object NewStream(const GLOB_Doc& doc, const std::string& data,
                                 const GLOB_Object& attributes = GLOB_Object()) {
        return doc.NewStream(GLOB_Stream(GLIB_NEW GLOB_StringStream(data)), 1, attributes, GLOB_Object(), -1);
    }

    int m_opened = 0;

    void Close() override { SetOpen(false); }
    bool Create(const GLOB_FileName&, const char* header, uint32_t flags) override { return Create(header, flags); }
    bool Create(const char* header, uint32_t) override {
        SetHeader(header);
        SetOpen(true);
        return true;
    }
    int32_t GenerationNumber(const GLOB_Object& obj) override { return N(obj).m_indirect ? 0 : -1; }
    int32_t ImplementationType() override { return 7; }
    GLOB_Object InfoDict() override { return Obj(1); }
    int32_t ObjectNumber(const GLOB_Object& obj) override { return N(obj).m_indirect ? N(obj).m_number : -1; }
    bool Open(const GLOB_FileName&, uint32_t) override { throw std::logic_error("no files"); }
    GLOB_Object Root() override { return Obj(0); }
    void Save() override { throw std::logic_error("no files"); }
    void SaveAs(const GLOB_FileName&) override { throw std::logic_error("no files"); }

    GLOB_Object NewNull() override { return Obj(Add(GLOB_Object::KindNull, false)); }
    GLOB_Object NewInteger(int32_t v, bool indirect) override { return Obj(Add(GLOB_Object::KindInteger, indirect, v)); }
    GLOB_Object NewBoolean(bool v, bool indirect) override { return Obj(Add(GLOB_Object::KindBoolean, indirect, v)); }
    GLOB_Object NewReal(double v, bool indirect) override { return Obj(Add(GLOB_Object::KindReal, indirect, v)); }
    GLOB_Object NewName(const GLOB_Name& v, bool indirect) override {
        const uint32_t at = Add(GLOB_Object::KindName, indirect);
        m_nodes[at].m_name = v;
        return Obj(at);
    }
    GLOB_Object NewString(const GLOB_String& v, bool indirect) override {
        const uint32_t at = Add(GLOB_Object::KindString, indirect);
        m_nodes[at].m_string = v;
        return Obj(at);
    }
    GLOB_Object NewArray(uint32_t count, bool indirect) override {
        const uint32_t at = Add(GLOB_Object::KindArray, indirect);
        for (uint32_t i = 0; i < count; ++i)
            m_nodes[at].m_elements.push_back(Add(GLOB_Object::KindNull, false));
        return Obj(at);
    }
    GLOB_Object NewDict(uint32_t, bool indirect) override { return Obj(Add(GLOB_Object::KindDict, indirect)); }
    GLOB_Object NewStream(const GLOB_Stream& source, int32_t, const GLOB_Object& attrDict, const GLOB_Object&,
                          int32_t) override {
        GLOB_Stream in(source);
        const uint32_t at = Add(GLOB_Object::KindStream, true);
        for (FILT_FilterBuffer* buf = in.Read(); buf->DataAvailable() > 0 || !buf->IsEOD(); buf = in.Read()) {
            m_nodes[at].m_data.append(reinterpret_cast<const char*>(buf->GetPtr()), buf->DataAvailable());
            buf->AdvanceGetPtr(buf->DataAvailable());
        }
        m_nodes[at].m_streamDict = Add(GLOB_Object::KindDict, false);
        if (!attrDict.IsNull())
            m_nodes[m_nodes[at].m_streamDict].m_entries = N(attrDict).m_entries;
        DictPut(Obj(at), GLOB_Name("Length"), NewInteger(static_cast<int32_t>(m_nodes[at].m_data.size()), false));
        return Obj(at);
    }

    bool IsIndirect(const GLOB_Object& obj) override { return N(obj).m_indirect; }
    int32_t Type(const GLOB_Object& obj) override { return N(obj).m_type; }
    int32_t IntegerValue(const GLOB_Object& obj) override { return static_cast<int32_t>(N(obj).m_value); }
    bool BooleanValue(const GLOB_Object& obj) override { return N(obj).m_value != 0; }
    double RealValue(const GLOB_Object& obj) override { return N(obj).m_value; }
    GLOB_Name NameValue(const GLOB_Object& obj) override { return N(obj).m_name; }
    GLOB_String StringValue(const GLOB_Object& obj) override { return N(obj).m_string; }
    GLOB_Array ArrayValue(const GLOB_Object& obj) override {
        GLOB_Array value(0);
        for (uint32_t at : N(obj).m_elements)
            value.Put(value.Length(), Obj(at));
        return value;
    }

    GLOB_Object DictGet(const GLOB_Object& dict, const GLOB_Name& key) override {
        const auto* entry = Find(dict, key);
        return entry ? Obj(entry->second) : NewNull();
    }
    GLOB_Object ArrayGet(const GLOB_Object& array, uint32_t i) override { return Obj(N(array).m_elements.at(i)); }
    void ArrayInsert(const GLOB_Object& array, uint32_t i, const GLOB_Object& value) override {
        std::vector<uint32_t>& e = N(array).m_elements;
        e.insert(e.begin() + std::min<size_t>(i, e.size()), Local(value));
    }
    uint32_t ArrayLength(const GLOB_Object& array) override { return static_cast<uint32_t>(N(array).m_elements.size()); }
    void DictPut(const GLOB_Object& dict, const GLOB_Name& key, const GLOB_Object& value) override {
        if (auto* entry = Find(dict, key))
            entry->second = Local(value);
        else
            DictNode(dict).m_entries.emplace_back(key, Local(value));
    }
    void ArrayPut(const GLOB_Object& array, uint32_t i, const GLOB_Object& value) override {
        while (N(array).m_elements.size() <= i)
            N(array).m_elements.push_back(Add(GLOB_Object::KindNull, false));
        N(array).m_elements[i] = Local(value);
    }
    void DictRemove(const GLOB_Object& dict, const GLOB_Name& key) override {
        auto& entries = DictNode(dict).m_entries;
        entries.erase(std::remove_if(entries.begin(), entries.end(), [&](const auto& e) { return e.first == key; }),
                      entries.end());
    }
    void ArrayRemove(const GLOB_Object& array, uint32_t i) override {
        std::vector<uint32_t>& e = N(array).m_elements;
        if (i < e.size())
            e.erase(e.begin() + i);
    }
    GLOB_Dict DictValue(const GLOB_Object& dict) override {
        GLOB_Dict value(0);
        for (const auto& entry : DictNode(dict).m_entries)
            value.Put(entry.first, Obj(entry.second));
        return value;
    }

    GLOB_Stream OpenStream(const GLOB_Object& stream, int32_t) override {
        ++m_opened;
        return GLOB_Stream(GLIB_NEW GLOB_StringStream(N(stream).m_data));
    }
    GLOB_Object StreamDict(const GLOB_Object& stream) override { return Obj(N(stream).m_streamDict); }
    uint32_t StreamLength(const GLOB_Object& stream) override { return static_cast<uint32_t>(N(stream).m_data.size()); }
    uint32_t StreamPos(const GLOB_Object&) override { return 0; }

    bool DictKnown(const GLOB_Object& dict, const GLOB_Name& key) override { return Find(dict, key) != nullptr; }
    void DictKeys(const GLOB_Object& dict, std::vector<GLOB_Name>& keys, bool) override {
        keys.clear();
        for (const auto& entry : DictNode(dict).m_entries)
            keys.push_back(entry.first);
    }
    void DictEntries(const GLOB_Object& dict, std::vector<Entry>& entries, bool) override {
        entries.clear();
        for (const auto& entry : DictNode(dict).m_entries)
            entries.emplace_back(entry.first, Obj(entry.second));
    }
    void DictValues(const GLOB_Object& dict, std::vector<GLOB_Object>& values) override {
        values.clear();
        for (const auto& entry : DictNode(dict).m_entries)
            values.push_back(Obj(entry.second));
    }

protected:
    TestBackEnd() {
        Add(GLOB_Object::KindDict, true);
        Add(GLOB_Object::KindDict, true);
    }

private:
    struct Node {
        int32_t m_type;
        bool m_indirect;
        int32_t m_number;
        double m_value;  // of a Boolean, Integer or Real
        GLOB_Name m_name;
        GLOB_String m_string;
        std::vector<uint32_t> m_elements;
        std::vector<std::pair<GLOB_Name, uint32_t>> m_entries;
        uint32_t m_streamDict;
        std::string m_data;
    };

    uint32_t Add(int32_t type, bool indirect, double value = 0) {
        m_nodes.push_back(Node{type, indirect, indirect ? ++m_lastNumber : 0, value, {}, {}, {}, {}, 0, {}});
        return static_cast<uint32_t>(m_nodes.size() - 1);
    }
    GLOB_Object Obj(uint32_t at) { return GLOB_Object(this, GLOB_Object::Handle{{at, 0, 0}}); }
    Node& N(const GLOB_Object& obj) { return m_nodes.at(obj.GetHandle().m_words[0]); }
    Node& DictNode(const GLOB_Object& obj) {
        Node& node = N(obj);
        if (node.m_type == GLOB_Object::KindStream)
            return m_nodes.at(node.m_streamDict);
        if (node.m_type != GLOB_Object::KindDict)
            throw std::logic_error("not a dictionary");
        return node;
    }
    std::pair<GLOB_Name, uint32_t>* Find(const GLOB_Object& dict, const GLOB_Name& key) {
        for (auto& entry : DictNode(dict).m_entries)
            if (entry.first == key)
                return &entry;
        return nullptr;
    }
    uint32_t Local(const GLOB_Object& value) {
        if (value.GetImpl() != this)
            throw std::logic_error("a value of another back-end");
        return value.GetHandle().m_words[0];
    }

    std::deque<Node> m_nodes;  // references stay valid as nodes are added
    int32_t m_lastNumber = 0;
};
