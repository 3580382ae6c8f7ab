#include "tools/publish/ReplyStream.h"

#include "data/JetSql.h"
#include "tools/publish/Publisher.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <set>

namespace {

constexpr size_t kChunkBytes = 32 * 1024;

// A value line of a single-line field: line breaks become spaces.
std::string OneLine(std::string text) {
    for (char& c : text)
        if (c == '\r' || c == '\n')
            c = ' ';
    return text;
}

// The entities the client decodes in titles, departments, numbers and law text: a line that
// ends in ">" would otherwise be taken for an element line. Carriage returns are dropped
// when `dropReturns` (law text, whose lines end in a line feed alone).
void AppendEncoded(std::string& out, const std::string& text, bool dropReturns) {
    const char* special = dropReturns ? "&>\r" : "&>";
    size_t start = 0;
    for (size_t at = text.find_first_of(special); at != std::string::npos;
         at = text.find_first_of(special, start)) {
        out.append(text, start, at - start);
        if (text[at] == '&')
            out += "&amp;";
        else if (text[at] == '>')
            out += "&rt;";
        start = at + 1;
    }
    out.append(text, start, std::string::npos);
}

std::string Encode(const std::string& text) {
    std::string out;
    out.reserve(text.size() + 16);
    AppendEncoded(out, text, false);
    return out;
}

void Element(std::string& out, const char* name, const std::string& value) {
    out += '<';
    out += name;
    out += ">\n";
    if (!value.empty()) {
        out += value;
        out += '\n';
    }
    out += "</";
    out += name;
    out += ">\n";
}

// Where a text piece may be cut without parting a UTF-8 sequence.
size_t WholeCharacters(const std::string& text) {
    const size_t n = text.size();
    for (size_t back = 1; back <= 4 && back <= n; ++back) {
        const auto c = static_cast<unsigned char>(text[n - back]);
        if ((c & 0xC0) == 0x80)
            continue;
        const size_t length = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
        return length > back ? n - back : n;
    }
    return n;
}

// Where a limit may cut a list in stamp order without parting rows of one stamp.
size_t CutAtStamp(const std::vector<CPublishedTree>& rows, int maxRecords) {
    if (maxRecords <= 0 || rows.size() <= static_cast<size_t>(maxRecords))
        return rows.size();
    size_t cut = static_cast<size_t>(maxRecords);
    while (cut < rows.size() && rows[cut].m_strStamp == rows[cut - 1].m_strStamp)
        ++cut;
    return cut;
}

} // namespace

CReplyStream::CReplyStream(std::unique_ptr<CCollectionReader> reader, EReplyKind kind, int edition,
                           const std::string& charset, int maxRecords)
    : m_pReader(std::move(reader)), m_kind(kind), m_strPrefix(edition == 1 ? "en_" : ""),
      m_codec(charset), m_nMaxRecords(maxRecords) {}

std::string CReplyStream::ErrorReply(const std::string& text) {
    return m_codec.FromUtf8("<error>\n" + OneLine(text) + "\n");
}

std::string CReplyStream::Echo(const std::string& value) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string echo;
    const size_t shown = std::min(value.size(), kEchoBytes);
    for (size_t i = 0; i < shown; ++i) {
        const auto b = static_cast<unsigned char>(value[i]);
        if (b < 0x20 || b > 0x7E || b == '%' || b == '&' || b == '<' || b == '>') {
            echo += '%';
            echo += kHex[b >> 4];
            echo += kHex[b & 15];
        } else {
            echo += static_cast<char>(b);
        }
    }
    if (shown < value.size())
        echo += "...";
    return echo;
}

bool CReplyStream::Prepare(const std::string& updatetime, const std::string& id,
                           std::string& error) {
    m_bBadRequest = false;
    // The stamp is read as a whole: a NUL byte (sent as %00) ends nothing.
    if (!updatetime.empty() && (updatetime.find('\0') != std::string::npos ||
                                !CJetSql::CanonicalDate(updatetime, m_strStamp))) {
        error = "参数错误：updatetime=" + Echo(updatetime);
        m_bBadRequest = true;
        return false;
    }
    if (!id.empty()) {
        const bool digits = id.size() <= 18 && std::all_of(id.begin(), id.end(), [](char c) {
                                return c >= '0' && c <= '9';
                            });
        if (!digits) {
            error = std::string("参数错误：") + (m_kind == EReplyKind::Law ? "lawid=" : "id=") +
                    Echo(id);
            m_bBadRequest = true;
            return false;
        }
        m_nId = std::stoll(id);
    }
    std::string detail;
    if (!m_pReader->Open(detail)) {
        error = "数据库无法打开";
        return false;
    }
    switch (m_kind) {
    case EReplyKind::Tree: {
        std::vector<CPublishedTree> rows;
        if (!m_pReader->ReadTrees(m_strPrefix + "dorntree", rows)) {
            error = "分类表无法读取";
            return false;
        }
        std::map<long long, CPublishedTree> all;
        for (CPublishedTree& row : rows)
            all[row.m_nId] = std::move(row);
        std::vector<CPublishedTree> newer;
        for (const auto& [key, row] : all)
            if (row.m_strStamp > m_strStamp)
                newer.push_back(row);
        std::sort(newer.begin(), newer.end(), [](const auto& a, const auto& b) {
            return a.m_strStamp != b.m_strStamp ? a.m_strStamp < b.m_strStamp : a.m_nId < b.m_nId;
        });
        newer.resize(CutAtStamp(newer, m_nMaxRecords));
        m_strHeaderStamp = newer.empty() ? m_strStamp : newer.back().m_strStamp;

        // A category comes with its ancestors that the client cannot have yet, so that it is
        // never filed without its parent. Depth orders parents before children.
        std::set<long long> chosen;
        for (const CPublishedTree& row : newer)
            chosen.insert(row.m_nId);
        for (const CPublishedTree& row : newer) {
            long long parent = row.m_nParid;
            for (int guard = 0; guard < 16 && parent != 0; ++guard) {
                const auto it = all.find(parent);
                if (it == all.end() || it->second.m_strStamp <= m_strStamp)
                    break;
                chosen.insert(parent);
                parent = it->second.m_nParid;
            }
        }
        for (const long long chosenId : chosen) {
            CPublishedTree row = all[chosenId];
            long long parent = row.m_nParid;
            for (int guard = 0; guard < 16 && parent != 0 && all.count(parent); ++guard) {
                ++row.m_nDepth;
                parent = all[parent].m_nParid;
            }
            m_trees.push_back(std::move(row));
        }
        std::stable_sort(m_trees.begin(), m_trees.end(), [](const auto& a, const auto& b) {
            return a.m_nDepth != b.m_nDepth ? a.m_nDepth < b.m_nDepth : a.m_nId < b.m_nId;
        });
        m_nCount = static_cast<long long>(m_trees.size());
        return true;
    }
    case EReplyKind::Law: {
        const std::string table = m_strPrefix + "dornlaws";
        if (!m_pReader->CountLaws(table, m_strStamp, m_nId, m_nMaxRecords, m_nCount) ||
            !m_pReader->StartLaws(table, m_strStamp, m_nId, m_nMaxRecords)) {
            error = "法规表无法读取";
            return false;
        }
        return true;
    }
    case EReplyKind::Link: {
        const std::string table = m_strPrefix + "dornlawas";
        if (!m_pReader->CountLinks(table, m_strStamp, m_nCount) ||
            !m_pReader->StartLinks(table, m_strStamp)) {
            error = "分类链接表无法读取";
            return false;
        }
        return true;
    }
    }
    return false;
}

void CReplyStream::AddUtf8(const std::string& text) {
    m_strPending = m_codec.FromUtf8(text);
    m_nPendingAt = 0;
}

bool CReplyStream::Produce() {
    std::string out;
    if (!m_bHeaderDone) {
        m_bHeaderDone = true;
        out += "<header>\n" + std::to_string(m_nCount) + "\n";
        if (m_kind == EReplyKind::Tree)
            out += m_strHeaderStamp + "\n";
        out += "</header>\n";
        AddUtf8(out);
        return true;
    }
    if (m_kind == EReplyKind::Law)
        return ProduceLaw();
    while (out.size() < kChunkBytes) {
        if (m_kind == EReplyKind::Tree) {
            if (m_nNextTree >= m_trees.size())
                break;
            const CPublishedTree& row = m_trees[m_nNextTree++];
            out += "<tree>\n";
            Element(out, "id", std::to_string(row.m_nId));
            Element(out, "name", OneLine(row.m_strName));
            Element(out, "parid", std::to_string(row.m_nParid));
            Element(out, "xh", std::to_string(row.m_nXh));
            Element(out, "updatetime", row.m_strStamp);
            out += "</tree>\n";
        } else {
            CPublishedLink row;
            const int rc = m_pReader->NextLink(row);
            if (rc < 0) {
                m_bFailed = true;
                return false;
            }
            if (rc == 0)
                break;
            out += "<tree>\n";
            Element(out, "lawid", std::to_string(row.m_nLawId));
            Element(out, "treeid", std::to_string(row.m_nTreeId));
            Element(out, "updatetime", row.m_strStamp);
            out += "</tree>\n";
        }
    }
    if (out.empty())
        return false;
    AddUtf8(out);
    return true;
}

bool CReplyStream::ProduceLaw() {
    std::string out;
    while (out.size() < kChunkBytes) {
        if (m_nLawStage == 0) {
            CPublishedLaw law;
            const int rc = m_pReader->NextLaw(law);
            if (rc < 0) {
                m_bFailed = true;
                return false;
            }
            if (rc == 0)
                break;
            out += "<tree>\n";
            Element(out, "lawid", std::to_string(law.m_nLawId));
            Element(out, "topic", Encode(OneLine(law.m_strTopic)));
            Element(out, "bumen", Encode(OneLine(law.m_strBumen)));
            Element(out, "wenhao", Encode(OneLine(law.m_strWenhao)));
            Element(out, "datum", OneLine(law.m_strDatum));
            out += "<body>\n";
            m_strLawTail = "</body>\n";
            Element(m_strLawTail, "hangye", "");
            Element(m_strLawTail, "updatetime", law.m_strStamp);
            m_strLawTail += "</tree>\n";
            m_nLawStage = 1;
            m_bBodyEmpty = true;
            m_strBodyCarry.clear();
            continue;
        }
        std::string piece;
        if (!m_pReader->ReadBody(piece, kChunkBytes)) {
            m_bFailed = true;
            return false;
        }
        if (piece.empty()) {
            // Each line of the text ends in a line feed, so a text ending in one keeps it.
            AppendEncoded(out, m_strBodyCarry, true);
            if (!m_bBodyEmpty)
                out += '\n';
            out += m_strLawTail;
            m_nLawStage = 0;
            continue;
        }
        m_bBodyEmpty = false;
        std::string text = std::move(m_strBodyCarry);
        text += piece;
        const size_t whole = WholeCharacters(text);
        m_strBodyCarry.assign(text, whole, std::string::npos);
        text.resize(whole);
        AppendEncoded(out, text, true);
    }
    if (out.empty())
        return false;
    AddUtf8(out);
    return true;
}

long CReplyStream::Read(char* buffer, size_t size) {
    while (m_nPendingAt >= m_strPending.size()) {
        m_strPending.clear();
        m_nPendingAt = 0;
        if (m_bEnded || m_bFailed)
            return m_bFailed ? -1 : 0;
        if (!Produce()) {
            m_bEnded = true;
            return m_bFailed ? -1 : 0;
        }
    }
    const size_t n = std::min(size, m_strPending.size() - m_nPendingAt);
    std::memcpy(buffer, m_strPending.data() + m_nPendingAt, n);
    m_nPendingAt += n;
    return static_cast<long>(n);
}
