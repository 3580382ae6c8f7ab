#pragma once

#include <string>

class CDbConnection;

// A category node. A category's id encodes its path, so its subtree is the id range from
// the id up to GetRangeEnd().
class CTreeNode {
public:
    CTreeNode() = default;
    CTreeNode(const std::string& table, CDbConnection* connection)
        : m_strTable(table), m_pConnection(connection) {}
    virtual ~CTreeNode() = default;

    void SetNodeId(int id);
    int GetNodeId() const { return m_nNodeId; }
    int GetLevel() const { return m_nLevel; }
    int GetRangeEnd() const;
    // The id for a new child of the node: 0 when the children could not be queried, -1 when
    // no slot is free.
    int FindFreeChildId();

    // Whether a category with this server id is stored ("select id from <table> where
    // oldid=<quoted oldid>").
    bool ExistsByOldId(const std::string& oldid);
    // Inserts a category under the node, or updates the one with the same server id; the
    // stamp is left NULL (the end of the reply stamps it). Answers 1 when it was written, 0
    // when it was dropped because no id is free under the node, and -1 when the database
    // failed (a refused statement or a query that could not be read).
    int WriteChild(const std::string& name, int xh, const std::string& oldid,
                   const std::string& stamp);

    void SetTable(const std::string& table) { m_strTable = table; }
    void SetConnection(CDbConnection* connection) { m_pConnection = connection; }

    // Level of an id (0 for the root and for ids of 0 or less).
    static int LevelOf(int id);

protected:
    int m_nLevel = 0;
    std::string m_strTable;
    int m_nNodeId = 0;
    CDbConnection* m_pConnection = nullptr;
};
