#pragma once

#include <nlohmann/json_fwd.hpp>

#include <string>

// A law as the reader remembers it: its edition, its local lawid, the publisher's id (oldid,
// which survives a re-import or a replaced collection where the lawid may not) and its title.
struct CLawRef {
    int m_nEdition = 0;
    int m_nLawId = 0;
    std::string m_strOldId;
    std::string m_strTitle;
    // Its date ("2021-12-24") and document number, which tell apart laws of the same title;
    // empty in references stored before they were kept.
    std::string m_strDate;
    std::string m_strWenhao;

    // Same edition and, where both carry a server id, the same server id; else the same lawid.
    bool SameLaw(const CLawRef& other) const;
};

// The stored form of a law reference; FromJson answers false for anything that is not one.
nlohmann::json LawRefToJson(const CLawRef& law);
bool LawRefFromJson(const nlohmann::json& value, CLawRef& law);
// The title with what tells it from laws of the same title: "刑法（2020-12-26，主席令第六十六
// 号）", the date or the number alone when the other is not known.
std::string LawRefLabel(const CLawRef& law);
