#include "browse/CategoryStatement.h"

#include "data/TreeNode.h"
#include "ground/EditionConfig.h"

std::string CategoryStatement(const CEditionConfig& config, int categoryId) {
    if (categoryId == 0)
        return std::string("select distinct lawid, topic, datum, wenhao, bumen from ") +
               config.GetLawTable() + " order by datum DESC";
    CTreeNode node;
    node.SetNodeId(categoryId);
    return std::string("select distinct v.lawid as lawid,l.topic as topic,l.datum as datum,"
                       "l.wenhao as wenhao,l.bumen as bumen from (") +
           config.GetLinkTable() + " v left join " + config.GetLawTable() +
           " l on v.lawid=l.lawid) where v.treeid>=" + std::to_string(categoryId) +
           " and v.treeid<" + std::to_string(node.GetRangeEnd()) + " order by datum DESC";
}
