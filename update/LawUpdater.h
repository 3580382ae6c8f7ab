#pragma once

#include "update/UpdaterBase.h"

#include <string>

// Merges the law reply of one edition into that edition's law table: a law whose server
// id is stored already is updated in place, any other law is inserted.
class CLawUpdater : public CUpdaterBase {
public:
    void BeginEdition();
    std::string GetNewestStamp();
    const std::string& GetNewestOldId() const { return m_strNewestOldId; }

    void FeedLine(const std::string& line) override;

    // Turns "&rt;" into ">" and then "&amp;" into "&", each once over the whole text.
    static void DecodeEntities(std::string& text);

private:
    void ClearRecord() override;
    void MergeRecord() override;
    std::string* Field(const std::string& tag) override;
    bool IsTextField(const std::string& tag) const override;
    void StoreValue(const std::string& line) override;

    std::string m_strNewestOldId;
    std::string m_strUpdateTime;
    std::string m_strLawId;
    std::string m_strTopic;
    std::string m_strBumen;
    std::string m_strWenhao;
    std::string m_strDatum;
    std::string m_strBody;
    std::string m_strHangye;
};
