#include "reader/LawRef.h"

#include <nlohmann/json.hpp>

bool CLawRef::SameLaw(const CLawRef& other) const {
    if (m_nEdition != other.m_nEdition)
        return false;
    if (!m_strOldId.empty() && !other.m_strOldId.empty())
        return m_strOldId == other.m_strOldId;
    return m_nLawId == other.m_nLawId;
}

nlohmann::json LawRefToJson(const CLawRef& law) {
    return nlohmann::json{{"edition", law.m_nEdition}, {"lawid", law.m_nLawId},
                          {"oldid", law.m_strOldId},   {"title", law.m_strTitle},
                          {"date", law.m_strDate},     {"wenhao", law.m_strWenhao}};
}

bool LawRefFromJson(const nlohmann::json& value, CLawRef& law) {
    if (!value.is_object())
        return false;
    const auto edition = value.find("edition");
    const auto lawid = value.find("lawid");
    if (edition == value.end() || !edition->is_number_integer() || lawid == value.end() ||
        !lawid->is_number_integer())
        return false;
    const long long e = edition->get<long long>();
    const long long id = lawid->get<long long>();
    if ((e != 0 && e != 1) || id < 0 || id > 0x7fffffff)
        return false;
    CLawRef read;
    read.m_nEdition = static_cast<int>(e);
    read.m_nLawId = static_cast<int>(id);
    for (auto [key, target] :
         {std::pair{"oldid", &read.m_strOldId}, std::pair{"title", &read.m_strTitle},
          std::pair{"date", &read.m_strDate}, std::pair{"wenhao", &read.m_strWenhao}}) {
        const auto it = value.find(key);
        if (it == value.end() || it->is_null())
            continue;
        if (!it->is_string())
            return false;
        *target = it->get<std::string>();
    }
    // A reference names a law by one of its ids.
    if (read.m_nLawId == 0 && read.m_strOldId.empty())
        return false;
    law = std::move(read);
    return true;
}

std::string LawRefLabel(const CLawRef& law) {
    std::string detail = law.m_strDate;
    if (!law.m_strWenhao.empty())
        detail += (detail.empty() ? "" : "，") + law.m_strWenhao;
    if (detail.empty())
        return law.m_strTitle;
    return law.m_strTitle + "（" + detail + "）";
}
