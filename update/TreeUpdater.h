#pragma once

#include "data/TreeNode.h"
#include "update/UpdaterBase.h"

#include <string>

// Merges the category reply of one edition into that edition's category table. New
// categories get the first free id under their parent; the rows written stay without a
// stamp until the reply ends normally and FinishReply stamps them.
class CTreeUpdater : public CUpdaterBase {
public:
    CTreeUpdater();

    void BeginEdition();
    std::string GetNewestStamp();
    const std::string& GetNewestOldId() const { return m_strNewestOldId; }

    bool HasHeaderStamp() const override { return true; }
    void SetHeaderStamp(const std::string& line) override { m_strStamp = line; }
    void FeedLine(const std::string& line) override;
    void FinishReply() override;

private:
    void ClearRecord() override;
    void MergeRecord() override;
    std::string* Field(const std::string& tag) override;
    bool IsTextField(const std::string& tag) const override { return tag == "name"; }

    CTreeNode m_node;
    std::string m_strNewestOldId;
    std::string m_strStamp;
    std::string m_strUpdateTime;
    std::string m_strName;
    std::string m_strXh;
    std::string m_strParId;
    std::string m_strId;
};
