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

    // Same edition and, where both carry a server id, the same server id; else the same lawid.
    bool SameLaw(const CLawRef& other) const;
};

// The stored form of a law reference; FromJson answers false for anything that is not one.
nlohmann::json LawRefToJson(const CLawRef& law);
bool LawRefFromJson(const nlohmann::json& value, CLawRef& law);
