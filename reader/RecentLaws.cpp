#include "reader/RecentLaws.h"

#include "ground/JsonBounds.h"

#include <nlohmann/json.hpp>

void CRecentLaws::Add(const CLawRef& law) {
    if (law.m_nLawId == 0 && law.m_strOldId.empty())
        return;
    for (auto it = m_items.begin(); it != m_items.end(); ++it)
        if (it->SameLaw(law)) {
            m_items.erase(it);
            break;
        }
    m_items.insert(m_items.begin(), law);
    if (m_items.size() > kMaxItems)
        m_items.resize(kMaxItems);
}

std::string CRecentLaws::ToJson() const {
    nlohmann::json items = nlohmann::json::array();
    for (const CLawRef& law : m_items)
        items.push_back(LawRefToJson(law));
    return items.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

bool CRecentLaws::FromJson(const std::string& text) {
    // Twenty entries take a few kilobytes: anything far larger or deeper is no such list.
    if (!CJsonBounds::Check(text, 1u << 20, 8))
        return false;
    const nlohmann::json items = nlohmann::json::parse(text, nullptr, false);
    if (items.is_discarded() || !items.is_array())
        return false;
    m_items.clear();
    for (const nlohmann::json& entry : items) {
        CLawRef law;
        if (!LawRefFromJson(entry, law) || m_items.size() >= kMaxItems)
            continue;
        bool known = false;
        for (const CLawRef& other : m_items)
            known = known || other.SameLaw(law);
        if (!known)
            m_items.push_back(std::move(law));
    }
    return true;
}
