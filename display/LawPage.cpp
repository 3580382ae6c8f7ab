#include "display/LawPage.h"

#include "data/DbErrorText.h"
#include "data/DbRecordset.h"
#include "display/HtmlText.h"
#include "ground/MessageService.h"
#include "ground/TextUtil.h"

#include <string_view>
#include <utility>

std::string CLawPage::LawQuery(const char* lawTable, int lawid) {
    return std::string("select law.topic as law_topic,law.bumen as law_bumen,law.wenhao as "
                       "law_wenhao,law.datum as law_datum,law.body as law_body,law.reid as "
                       "law_reid from ") +
           lawTable + " law where law.lawid=" + std::to_string(lawid);
}

namespace {

// A law that is there but cannot be read must not look like a law that is not there.
void ReportReadFailure(int lawid, const CDbRecordset& rs) {
    ShowMessage(
        CDbErrorText::Compose("读取法规（编号 " + std::to_string(lawid) + "）时出错，无法显示。",
                              rs.GetFailureCode(), rs.GetFailure()),
        "读取失败", MsgIcon::Warning);
}

} // namespace

bool CLawPage::Load(CDbConnection& db, const char* lawTable, int lawid, CLawFields& out) {
    CDbRecordset rs;
    if (!rs.Open(&db, LawQuery(lawTable, lawid))) {
        if (rs.HasFailed())
            ReportReadFailure(lawid, rs);
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
        ReportReadFailure(lawid, rs);
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

namespace {

constexpr unsigned char kBlue = 1;
constexpr unsigned char kRed = 2;

// Marks every occurrence of each word inside the runs of text with `color`, left to right
// without overlap; an occurrence that touches a mark of the same colour is skipped. Matches
// start and end on character boundaries. `folded` is the body with ASCII letters in lower
// case (same offsets) when the words are to be matched as `like` matches them, else empty.
size_t MarkWords(std::string_view body, std::string_view folded,
                 const std::vector<std::pair<size_t, size_t>>& runs,
                 const std::vector<std::string>& words, unsigned char color,
                 std::vector<unsigned char>& marks) {
    size_t count = 0;
    const std::string_view haystack = folded.empty() ? body : folded;
    for (const std::string& original : words) {
        if (original.empty())
            continue;
        const std::string word = folded.empty() ? original : AsciiLower(original);
        for (const auto& [begin, end] : runs) {
            const std::string_view run = haystack.substr(begin, end - begin);
            for (size_t at = run.find(word); at != std::string_view::npos;
                 at = run.find(word, at + 1)) {
                const size_t from = begin + at;
                const size_t to = from + word.size();
                if (IsUtf8Continuation(static_cast<unsigned char>(body[from])) ||
                    (to < body.size() && IsUtf8Continuation(static_cast<unsigned char>(body[to]))))
                    continue;
                bool free = true;
                for (size_t i = from; i < to && free; ++i)
                    free = !(marks[i] & color);
                if (!free)
                    continue;
                for (size_t i = from; i < to; ++i)
                    marks[i] |= color;
                ++count;
                at += word.size() - 1;
            }
        }
    }
    return count;
}

} // namespace

void CLawPage::Highlight(std::string& body, const std::vector<std::string>& words,
                         const char* color) {
    const bool red = std::string_view(color) == kFindColor;
    static const std::vector<std::string> none;
    HighlightWords(body, red ? none : words, red ? words : none);
}

size_t CLawPage::HighlightWords(std::string& body, const std::vector<std::string>& searchWords,
                                const std::vector<std::string>& findWords) {
    bool any = false;
    for (const auto* list : {&searchWords, &findWords})
        for (const std::string& word : *list)
            any = any || !word.empty();
    if (!any || body.empty())
        return 0;
    std::vector<std::pair<size_t, size_t>> runs;
    CHtmlText::Scan(
        body, [&](size_t begin, size_t end) { runs.emplace_back(begin, end); },
        [](size_t, size_t) {});
    std::vector<unsigned char> marks(body.size(), 0);
    // Search words found the law through `like`, which takes ASCII letters without regard to
    // case: they are marked the same way. Find words are marked as typed.
    const std::string folded = searchWords.empty() ? std::string() : AsciiLower(body);
    MarkWords(body, folded, runs, searchWords, kBlue, marks);
    const size_t found = MarkWords(body, {}, runs, findWords, kRed, marks);

    // Blue marks hold the red ones, so that red shows where both apply.
    const std::string openBlue = std::string("<font color=") + kSearchColor + ">";
    const std::string openRed = std::string("<font color=") + kFindColor + ">";
    static constexpr std::string_view close = "</font>";
    std::string out;
    out.reserve(body.size() + body.size() / 8);
    unsigned char open = 0;
    for (size_t i = 0; i < body.size(); ++i) {
        const unsigned char want = marks[i];
        if (want != open) {
            if ((open & kRed) && !(want & kRed))
                out += close, open &= ~kRed;
            if ((open & kBlue) && !(want & kBlue)) {
                if (open & kRed)
                    out += close, open &= ~kRed;
                out += close, open &= ~kBlue;
            }
            if ((want & kBlue) && !(open & kBlue)) {
                if (open & kRed)
                    out += close, open &= ~kRed;
                out += openBlue, open |= kBlue;
            }
            if ((want & kRed) && !(open & kRed))
                out += openRed, open |= kRed;
        }
        out += body[i];
    }
    if (open & kRed)
        out += close;
    if (open & kBlue)
        out += close;
    body.swap(out);
    return found;
}

std::string CLawPage::Render(const CLawFields& law, const std::string& pageTemplate,
                             const std::vector<std::string>& searchWords,
                             const std::vector<std::string>& findWords, size_t* findCount) {
    std::string body = law.m_strBody;
    ConvertBody(body);
    const size_t found = HighlightWords(body, searchWords, findWords);
    if (findCount)
        *findCount = found;
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
