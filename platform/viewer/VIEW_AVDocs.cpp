#include "viewer/VIEW_AVDocs.h"

#include "viewer/VIEW_App.h"
#include "viewer/VIEW_HandleTable.h"
#include "viewer/VIEW_PD.h"
#include "viewer/VIEW_PageViews.h"

#include <algorithm>
#include <vector>

namespace {

struct AVDocRecord {
    PDFL_PDDoc m_pdDoc = nullptr;
    PDFL_AVPageView m_view = nullptr;
    std::string m_title;
};

struct DocsState {
    VIEW_HandleTable<PDFL_AVDoc, AVDocRecord> m_docs{"document window", 0x6000};
    // Front to back.
    std::vector<PDFL_AVDoc> m_order;
};

DocsState& State() {
    static DocsState state;
    return state;
}

PDFL_AVDoc FrontOf(const std::vector<PDFL_AVDoc>& order) {
    return order.empty() ? nullptr : order.front();
}

void Raise(PDFL_AVDoc doc) {
    std::vector<PDFL_AVDoc>& order = State().m_order;
    const PDFL_AVDoc before = FrontOf(order);
    if (before == doc)
        return;
    order.erase(std::remove(order.begin(), order.end(), doc), order.end());
    order.insert(order.begin(), doc);
    if (before)
        VIEW_App::SendNotification(PDFL_AVDocDidDeactivateNSEL, before);
    VIEW_App::SendNotification(PDFL_AVAppFrontDocDidChangeNSEL, doc);
}

}  // namespace

PDFL_AVDoc VIEW_AVDocs::OpenFromPDDoc(PDFL_PDDoc pdDoc, const char* title) {
    for (auto& entry : State().m_docs.Entries())
        if (entry.second.m_pdDoc == pdDoc) {
            const PDFL_AVDoc shown = reinterpret_cast<PDFL_AVDoc>(entry.first);
            Raise(shown);
            return shown;
        }
    AVDocRecord record;
    record.m_pdDoc = pdDoc;
    record.m_view = VIEW_PageViews::New(pdDoc);  // a document not open fails here
    record.m_title = title ? title : "";
    const PDFL_AVDoc doc = State().m_docs.Add(record);
    Raise(doc);
    return doc;
}

void VIEW_AVDocs::Close(PDFL_AVDoc doc) {
    State().m_docs.Get(doc);
    VIEW_App::SendNotification(PDFL_AVDocWillCloseNSEL, doc);
    // A notification may have closed it already.
    if (!State().m_docs.Find(doc))
        return;
    const AVDocRecord gone = State().m_docs.Remove(doc);
    std::vector<PDFL_AVDoc>& order = State().m_order;
    const bool wasFront = FrontOf(order) == doc;
    order.erase(std::remove(order.begin(), order.end(), doc), order.end());
    VIEW_PageViews::Destroy(gone.m_view);
    VIEW_PD::DocClose(gone.m_pdDoc);
    if (wasFront)
        VIEW_App::SendNotification(PDFL_AVAppFrontDocDidChangeNSEL, FrontOf(order));
}

void VIEW_AVDocs::BringToFront(PDFL_AVDoc doc) {
    State().m_docs.Get(doc);
    Raise(doc);
}

PDFL_AVDoc VIEW_AVDocs::Front() { return FrontOf(State().m_order); }

PDFL_PDDoc VIEW_AVDocs::PDDoc(PDFL_AVDoc doc) { return State().m_docs.Get(doc).m_pdDoc; }

PDFL_AVPageView VIEW_AVDocs::PageView(PDFL_AVDoc doc) { return State().m_docs.Get(doc).m_view; }

std::string VIEW_AVDocs::Title(PDFL_AVDoc doc) { return State().m_docs.Get(doc).m_title; }

void VIEW_AVDocs::PageContentsDidChange(PDFL_PDPage page) {
    VIEW_PD::PageGetNumber(page);  // a page not held fails here
    VIEW_App::SendNotification(PDFL_PDPageContentsDidChangeNSEL, page);
}

size_t VIEW_AVDocs::Count() { return State().m_docs.Size(); }

void VIEW_AVDocs::Reset() {
    State().m_docs.Clear();
    State().m_order.clear();
    VIEW_PageViews::Reset();
}
