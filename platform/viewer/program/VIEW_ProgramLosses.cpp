#include "viewer/program/VIEW_ProgramLosses.h"

#include <algorithm>

#include "viewer/program/VIEW_ProgramText.h"

namespace {

bool Has(const std::vector<std::string>& names, const std::string& name) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

// "Cyan", "Cyan and Black", "Cyan, Magenta and Black".
std::string Listed(const std::vector<std::string>& names) {
    std::string text;
    for (size_t i = 0; i < names.size(); ++i)
        text += (i == 0 ? "" : i + 1 == names.size() ? " and " : ", ") + VIEW_EscapedText(names[i]);
    return text;
}

}  // namespace

void VIEW_ProgramLosses::Hear(const std::string& ink, const std::string& words) {
    if (words.empty())
        return;
    auto loss = std::find_if(m_losses.begin(), m_losses.end(), [&](const Loss& l) { return l.m_words == words; });
    if (loss == m_losses.end())
        loss = m_losses.insert(m_losses.end(), Loss{words, {}});
    if (!ink.empty() && !Has(loss->m_inks, ink))
        loss->m_inks.push_back(ink);
}

std::vector<std::string> VIEW_ProgramLosses::TakeLines(const std::vector<std::string>& inks) {
    std::vector<std::string> lines;
    for (const Loss& loss : m_losses) {
        const bool every = inks.size() > 1 && std::all_of(inks.begin(), inks.end(), [&](const std::string& ink) {
                               return Has(loss.m_inks, ink);
                           });
        std::string who;
        if (every)
            who = "every ink";
        else if (loss.m_inks.size() > 1)
            who = "inks " + Listed(loss.m_inks);
        else if (loss.m_inks.size() == 1)
            who = "ink " + Listed(loss.m_inks);
        else
            who = "a plate";
        lines.push_back(who + " may lack what the drawing could not read of its content: " +
                        VIEW_EscapedText(loss.m_words));
    }
    m_losses.clear();
    return lines;
}
