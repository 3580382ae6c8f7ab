#include "search/BodySearch.h"

#include "data/DbConnection.h"
#include "data/DbRecordset.h"
#include "data/SqlSelect.h"
#include "search/SearchComposer.h"

CBodySearch::CBodySearch(CDbConnection& db, std::string lawTable, std::string connectionString)
    : m_db(db), m_strLawTable(std::move(lawTable)),
      m_connect(
          [&db, connection = std::move(connectionString)] { db.Connect(connection.c_str(), 0); }) {}

CBodySearch::CBodySearch(CDbConnection& db, std::string lawTable, std::function<void()> connect)
    : m_db(db), m_strLawTable(std::move(lawTable)), m_connect(std::move(connect)) {}

std::string CBodySearch::WindowCondition(long long start, const std::string& condition) {
    std::string text =
        "v.lawid>" + std::to_string(start) + " and v.lawid<=" + std::to_string(start + kWindowSize);
    if (!condition.empty())
        text += " and " + condition;
    return text;
}

std::vector<CLawRow> CBodySearch::Run(CSqlSelect& builder, const std::vector<std::string>& words) {
    m_nWindows = 0;
    m_nSecondPasses = 0;
    builder.Prepare();
    const std::string baseCondition = builder.GetWhere();
    for (const std::string& word : words)
        builder.AddCondition(" and ", "law.body", " like ", CSearchComposer::LikeValue(word));
    const std::string bodyCondition = builder.GetWhere();

    std::vector<CLawRow> rows;
    const int highest = HighestLawId();
    // Wide arithmetic: a lawid near the top of the integer range must not overflow the
    // window's upper bound.
    for (long long i = 0; i < highest; i += kWindowSize) {
        ++m_nWindows;
        builder.SetWhere(WindowCondition(i, bodyCondition));
        if (m_connect)
            m_connect();
        if (ReadWindow(builder.BuildAgain(), rows, nullptr))
            continue;
        ++m_nSecondPasses;
        builder.SetWhere(WindowCondition(i, baseCondition));
        ReadWindow(builder.BuildAgain(), rows, &words);
    }
    return rows;
}

int CBodySearch::HighestLawId() {
    CDbRecordset rs;
    int lawid = 0;
    if (!rs.Open(&m_db, "select lawid from " + m_strLawTable + " order by lawid DESC"))
        return 0;
    if (rs.IsEOF() || !rs.GetInt(lawid, "lawid"))
        return 0;
    return lawid;
}

bool CBodySearch::LawContainsWords(int lawid, const std::vector<std::string>& words) {
    if (words.empty())
        return false;
    CDbRecordset rs;
    if (!rs.Open(&m_db,
                 "select body from " + m_strLawTable + " where lawid=" + std::to_string(lawid)) ||
        rs.IsEOF())
        return false;
    std::string body;
    rs.GetMemo(body, "body");
    for (const std::string& word : words)
        if (body.find(word) == std::string::npos)
            return false;
    return true;
}

int CBodySearch::ReadWindow(const std::string& sql, std::vector<CLawRow>& rows,
                            const std::vector<std::string>* checkWords) {
    CDbRecordset rs;
    if (!rs.Open(&m_db, sql))
        return 0;
    std::vector<CLawRow> found;
    while (!rs.IsEOF()) {
        CLawRow row;
        rs.GetString(row.m_strTopic, "topic", -1);
        rs.GetString(row.m_strDatum, "datum", 10);
        rs.GetString(row.m_strWenhao, "wenhao", -1);
        rs.GetString(row.m_strBumen, "bumen", -1);
        rs.GetInt(row.m_nLawId, "lawid");
        found.push_back(std::move(row));
        rs.MoveNext();
    }
    if (rs.HasFailed())
        return 0;
    rs.Close();
    for (CLawRow& row : found)
        if (!checkWords || LawContainsWords(row.m_nLawId, *checkWords))
            rows.push_back(std::move(row));
    return 1;
}
