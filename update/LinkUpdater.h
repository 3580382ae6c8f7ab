#pragma once

#include "update/UpdaterBase.h"

#include <map>
#include <string>

// Merges the link reply of one edition into that edition's link table. The server names
// laws and categories by its own ids; two maps, loaded from the edition's tables, translate
// them into local ids.
class CLinkUpdater : public CUpdaterBase {
public:
    CLinkUpdater() { m_bWholeStampGroups = true; }

    // Loads the maps of the current edition and resets the count.
    void BeginEdition();
    std::string GetNewestStamp();

    void FeedLine(const std::string& line) override;

    // Empties both maps and fills them from the current edition's category and law tables;
    // a table that cannot be read to its end fails the merge (IsBroken). A later row with the
    // same server id wins.
    void LoadIdMaps();

    const std::map<std::string, int>& TreeIds() const { return m_mapTreeIds; }
    const std::map<std::string, int>& LawIds() const { return m_mapLawIds; }

private:
    void ClearRecord() override;
    void MergeRecord() override;
    std::string* Field(const std::string& tag) override;

    std::map<std::string, int> m_mapTreeIds;
    std::map<std::string, int> m_mapLawIds;
    std::string m_strUpdateTime;
    std::string m_strLawId;
    std::string m_strTreeId;
    std::string m_strGroupStamp; // stamp of the records in the open batch
};
