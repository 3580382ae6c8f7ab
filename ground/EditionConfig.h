#pragma once

#include "ground/EditionInfo.h"

#include <array>
#include <string>
#include <vector>

// The law page templates of the two editions (UTF-8 here; 531 and 533 bytes as GBK).
extern const char* const kChinesePageTemplate;
extern const char* const kEnglishPageTemplate;

// Both editions' records and the index of the current one. Every getter answers for the
// current edition, so switching the edition is one assignment.
class CEditionConfig {
public:
    CEditionConfig();
    virtual ~CEditionConfig() = default;

    void SetEdition(int edition) { m_nEdition = edition == 1 ? 1 : 0; }
    int GetEdition() const { return m_nEdition; }

    const char* GetCaption() const { return Cur().m_strCaption; }
    const char* GetTreeTable() const { return Cur().m_strTreeTable; }
    const char* GetLinkTable() const { return Cur().m_strLinkTable; }
    const char* GetLawTable() const { return Cur().m_strLawTable; }
    const char* GetTreeUrl() const { return Cur().m_strTreeUrl; }
    const char* GetLawUrl() const { return Cur().m_strLawUrl; }
    const char* GetLinkUrl() const { return Cur().m_strLinkUrl; }
    const char* GetPageTemplate() const { return Cur().m_strPageTemplate; }

    std::vector<std::string>& GetSearchWords() { return Cur().m_arrSearchWords; }
    std::vector<std::string>& GetFindWords() { return Cur().m_arrFindWords; }

    void SetCurTreeId(int id) { Cur().m_nCurTreeId = id; }
    int GetCurTreeId() const { return Cur().m_nCurTreeId; }
    void SetCurLawId(int id) { Cur().m_nCurLawId = id; }
    int GetCurLawId() const { return Cur().m_nCurLawId; }

    // The record of a given edition, for code that works through both.
    CEditionInfo& Edition(int edition) { return m_editions[edition == 1 ? 1 : 0]; }

private:
    CEditionInfo& Cur() { return m_editions[static_cast<size_t>(m_nEdition)]; }
    const CEditionInfo& Cur() const { return m_editions[static_cast<size_t>(m_nEdition)]; }

    std::array<CEditionInfo, 2> m_editions;
    int m_nEdition = 0;
};

// The browsing side's instance (GUI thread only).
extern CEditionConfig theEditionConfig;
// The online update's instance (the update workers, one at a time).
extern CEditionConfig theUpdateEditionConfig;
