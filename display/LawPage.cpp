#include "display/LawPage.h"

#include "app/MessageService.h"
#include "app/TextUtil.h"
#include "data/DbRecordset.h"

#include <string_view>

std::string CLawPage::LawQuery(const char* lawTable, int lawid) {
    return std::string("select law.topic as law_topic,law.bumen as law_bumen,law.wenhao as "
                       "law_wenhao,law.datum as law_datum,law.body as law_body,law.reid as "
                       "law_reid from ") +
           lawTable + " law where law.lawid=" + std::to_string(lawid);
}

namespace {

// A law that is there but cannot be read must not look like a law that is not there.
void ReportReadFailure(int lawid, const std::string& error) {
    ShowMessage("读取法规（编号 " + std::to_string(lawid) +
                    "）时出错，无法显示。\n数据库文件 db1.mdb 可能已经损坏：" + error,
                "读取失败", MsgIcon::Warning);
}

} // namespace

bool CLawPage::Load(CDbConnection& db, const char* lawTable, int lawid, CLawFields& out) {
    CDbRecordset rs;
    if (!rs.Open(&db, LawQuery(lawTable, lawid))) {
        if (rs.HasFailed())
            ReportReadFailure(lawid, rs.GetFailure());
        return false;
    }
    if (rs.IsEOF()) {
        rs.Close();
        return false;
    }
    out = CLawFields{};
    rs.GetString(out.m_strTopic, "law_topic", -1);
    rs.GetString(out.m_strBumen, "law_bumen", -1);
    rs.GetString(out.m_strWenhao, "law_wenhao", -1);
    rs.GetString(out.m_strDatum, "law_datum", 10);
    rs.GetMemo(out.m_strBody, "law_body");
    if (rs.HasFailed()) {
        ReportReadFailure(lawid, rs.GetFailure());
        out = CLawFields{};
        return false;
    }
    rs.Close();
    return true;
}

void CLawPage::ConvertBody(std::string& body) {
    ReplaceAll(body, "\n", "<br>");
    ReplaceAll(body, "\b", "<br>");
    ReplaceAll(body, "  ", "\xE3\x80\x80"); // U+3000, the full-width blank
}

void CLawPage::Highlight(std::string& body, const std::vector<std::string>& words,
                         const char* color) {
    const std::string open = std::string("<font color=") + color + ">";
    for (const std::string& word : words)
        if (!word.empty())
            ReplaceAll(body, word, open + word + "</font>");
}

std::string CLawPage::Render(const CLawFields& law, const std::string& pageTemplate,
                             const std::vector<std::string>& searchWords,
                             const std::vector<std::string>& findWords) {
    std::string body = law.m_strBody;
    ConvertBody(body);
    Highlight(body, searchWords, kSearchColor);
    Highlight(body, findWords, kFindColor);
    std::string page = pageTemplate;
    ReplaceAll(page, "{{标题}}", law.m_strTopic);
    ReplaceAll(page, "{{文号}}", law.m_strWenhao);
    ReplaceAll(page, "{{部门}}", law.m_strBumen);
    ReplaceAll(page, "{{时间}}", law.m_strDatum);
    // Fields are filled one after another, so a "{{内容}}" inside a field gets the body too.
    // A field stuffed with that placeholder would multiply the body without bound; past a
    // budget only the template's own placeholder, the last one, is filled.
    static constexpr std::string_view kBody = "{{内容}}";
    size_t copies = 0;
    for (size_t pos = page.find(kBody); pos != std::string::npos; pos = page.find(kBody, pos + 1))
        ++copies;
    if (copies > 1 && (copies - 1) * body.size() > kMaxBodyCopiesBytes) {
        const size_t last = page.rfind(kBody);
        page.replace(last, kBody.size(), body);
        return page;
    }
    ReplaceAll(page, kBody, body);
    return page;
}
