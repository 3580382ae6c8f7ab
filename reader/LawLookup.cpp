#include "reader/LawLookup.h"

#include "data/DbRecordset.h"
#include "data/SqlStatement.h"

#include <charconv>

int CLawLookup::FirstLawId(const std::string& sql) {
    CDbRecordset rs;
    if (!rs.Open(&m_db, sql))
        return 0;
    int lawid = 0;
    if (!rs.IsEOF())
        rs.GetInt(lawid, "lawid");
    rs.Close();
    return lawid;
}

bool CLawLookup::Describe(int lawid, CLawRef& law) {
    if (lawid <= 0)
        return false;
    CDbRecordset rs;
    if (!rs.Open(&m_db, "select topic, oldid, datum, wenhao from " + m_strTable +
                            " where lawid=" + std::to_string(lawid)))
        return false;
    if (rs.IsEOF()) {
        rs.Close();
        return false;
    }
    law.m_nLawId = lawid;
    rs.GetString(law.m_strTitle, "topic", -1);
    rs.GetString(law.m_strOldId, "oldid", -1);
    rs.GetString(law.m_strDate, "datum", 10);
    rs.GetString(law.m_strWenhao, "wenhao", -1);
    rs.Close();
    return true;
}

int CLawLookup::FindByOldId(const std::string& oldid) {
    if (oldid.empty())
        return 0;
    std::string sql = "select lawid from " + m_strTable + " where oldid=";
    QuoteText(sql, oldid);
    return FirstLawId(sql);
}

int CLawLookup::FindByTitleOrId(const std::string& text) {
    if (text.empty())
        return 0;
    int number = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), number);
    if (ec == std::errc() && end == text.data() + text.size() && number > 0) {
        if (const int lawid =
                FirstLawId("select lawid from " + m_strTable + " where lawid=" + text))
            return lawid;
    }
    // The title itself, then the title of a national law ("民法典" names
    // "中华人民共和国民法典"), each the newest of its versions, before any title that merely
    // holds the words.
    for (const std::string& title : {text, "中华人民共和国" + text}) {
        std::string exact = "select top 1 lawid from " + m_strTable + " where topic=";
        QuoteText(exact, title);
        if (const int lawid = FirstLawId(exact + " order by datum DESC, lawid DESC"))
            return lawid;
    }
    std::string part = "select top 1 lawid from " + m_strTable + " where topic like ";
    QuoteText(part, "%" + text + "%");
    return FirstLawId(part + " order by datum DESC");
}

int CLawLookup::Resolve(const CLawRef& law) {
    if (const int lawid = FindByOldId(law.m_strOldId))
        return lawid;
    // A law that has a server id and is no longer found by it is gone, whatever now carries
    // its old lawid.
    CLawRef found;
    if (!Describe(law.m_nLawId, found))
        return 0;
    return law.m_strOldId.empty() || found.m_strOldId.empty() || found.m_strOldId == law.m_strOldId
               ? law.m_nLawId
               : 0;
}
