#include "display/VersionCompare.h"

#include "display/LawArticles.h"
#include "ground/TextUtil.h"

#include <dtl/dtl.hpp>

#include <algorithm>

namespace {

std::u32string Decode(std::string_view text) {
    std::u32string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        size_t len = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
        if (i + len > text.size())
            len = text.size() - i;
        char32_t cp = len == 1 ? c : len == 2 ? (c & 0x1F) : len == 3 ? (c & 0x0F) : (c & 0x07);
        for (size_t k = 1; k < len; ++k)
            cp = (cp << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
        out.push_back(cp);
        i += len;
    }
    return out;
}

std::string Encode(std::u32string_view text) {
    std::string out;
    out.reserve(text.size() * 3);
    char buffer[4];
    for (char32_t c : text)
        out.append(buffer, EncodeUtf8(c, buffer));
    return out;
}

void AddSpan(std::vector<CCompareSpan>& spans, std::string text, bool changed) {
    if (text.empty())
        return;
    if (!spans.empty() && spans.back().m_bChanged == changed)
        spans.back().m_strText += text;
    else
        spans.push_back({std::move(text), changed});
}

// The lines of a unit, without trailing blanks and without empty lines.
std::vector<std::string> Lines(std::string_view text) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string_view::npos)
            end = text.size();
        std::string_view line = text.substr(start, end - start);
        while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t'))
            line.remove_suffix(1);
        if (!line.empty())
            lines.emplace_back(line);
        start = end + 1;
    }
    return lines;
}

// The characters of `a` and `b` that differ, marked in the spans.
void DiffChars(const std::u32string& a, const std::u32string& b, std::vector<CCompareSpan>& older,
               std::vector<CCompareSpan>& newer) {
    dtl::Diff<char32_t, std::u32string> diff(a, b);
    diff.compose();
    std::u32string run;
    int runType = dtl::SES_COMMON;
    auto flush = [&] {
        if (run.empty())
            return;
        const std::string text = Encode(run);
        if (runType != dtl::SES_ADD)
            AddSpan(older, text, runType == dtl::SES_DELETE);
        if (runType != dtl::SES_DELETE)
            AddSpan(newer, text, runType == dtl::SES_ADD);
        run.clear();
    };
    for (const auto& [c, info] : diff.getSes().getSequence()) {
        if (info.type != runType) {
            flush();
            runType = info.type;
        }
        run.push_back(c);
    }
    flush();
}

// Two lines (or two short units): characters compared when both are short enough, else
// both marked whole.
void DiffText(const std::string& a, const std::string& b, std::vector<CCompareSpan>& older,
              std::vector<CCompareSpan>& newer, size_t limit) {
    const std::u32string wa = Decode(a);
    const std::u32string wb = Decode(b);
    if (wa.size() <= limit && wb.size() <= limit) {
        DiffChars(wa, wb, older, newer);
        return;
    }
    AddSpan(older, a, true);
    AddSpan(newer, b, true);
}

// Joins the lines of a unit with line breaks between them.
std::string Joined(const std::vector<std::string>& lines) {
    std::string out;
    for (const std::string& line : lines) {
        if (!out.empty())
            out += '\n';
        out += line;
    }
    return out;
}

void DiffUnit(const std::vector<std::string>& a, const std::vector<std::string>& b,
              CCompareRow& row) {
    const std::string ja = Joined(a);
    const std::string jb = Joined(b);
    if (ja == jb) {
        row.m_nState = CCompareRow::Same;
        AddSpan(row.m_old, ja, false);
        AddSpan(row.m_new, jb, false);
        return;
    }
    row.m_nState = CCompareRow::Changed;
    if (ja.size() + jb.size() <= CVersionCompare::kUnitChars) {
        DiffText(ja, jb, row.m_old, row.m_new, CVersionCompare::kUnitChars);
        return;
    }
    // A long unit: its lines first, then the characters of the lines changed in place (a
    // removed line paired with the added line at the same place of the hunk).
    dtl::Diff<std::string, std::vector<std::string>> diff(a, b);
    diff.compose();
    std::vector<std::string> removed, added;
    bool firstOld = true, firstNew = true;
    auto lineBreak = [](std::vector<CCompareSpan>& spans, bool& first) {
        if (!first)
            AddSpan(spans, "\n", false);
        first = false;
    };
    auto flushHunk = [&] {
        const size_t pairs = std::min(removed.size(), added.size());
        for (size_t i = 0; i < std::max(removed.size(), added.size()); ++i) {
            if (i < pairs) {
                lineBreak(row.m_old, firstOld);
                lineBreak(row.m_new, firstNew);
                DiffText(removed[i], added[i], row.m_old, row.m_new, CVersionCompare::kLineChars);
            } else if (i < removed.size()) {
                lineBreak(row.m_old, firstOld);
                AddSpan(row.m_old, removed[i], true);
            } else {
                lineBreak(row.m_new, firstNew);
                AddSpan(row.m_new, added[i], true);
            }
        }
        removed.clear();
        added.clear();
    };
    for (const auto& [line, info] : diff.getSes().getSequence()) {
        if (info.type == dtl::SES_COMMON) {
            flushHunk();
            lineBreak(row.m_old, firstOld);
            lineBreak(row.m_new, firstNew);
            AddSpan(row.m_old, line, false);
            AddSpan(row.m_new, line, false);
        } else if (info.type == dtl::SES_DELETE) {
            removed.push_back(line);
        } else {
            added.push_back(line);
        }
    }
    flushHunk();
}

// The key a unit is aligned by: its kind and number (or its heading when the number is
// not read), so "第十条" and "第10条" align.
std::string KeyOf(const CLawUnit& unit) {
    if (unit.m_nKind == CLawUnit::Preamble)
        return "preamble";
    if (unit.m_nNumber > 0)
        return std::to_string(unit.m_nKind) + ":" + std::to_string(unit.m_nNumber);
    return unit.m_strHeading;
}

void AppendEscaped(std::string& out, std::string_view text) {
    for (char c : text) {
        switch (c) {
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '&':
            out += "&amp;";
            break;
        case '"':
            out += "&quot;";
            break;
        case '\n':
            out += "<br>";
            break;
        case '\r':
            break;
        default:
            out += c;
        }
    }
}

void AppendSpans(std::string& out, const std::vector<CCompareSpan>& spans, const char* mark) {
    for (const CCompareSpan& span : spans) {
        if (span.m_bChanged) {
            out += "<span style=\"background-color:";
            out += mark;
            out += "\">";
            AppendEscaped(out, span.m_strText);
            out += "</span>";
        } else {
            AppendEscaped(out, span.m_strText);
        }
    }
}

} // namespace

std::vector<CCompareRow> CVersionCompare::Compare(std::string_view older, std::string_view newer) {
    const std::vector<CLawUnit> unitsA = CLawArticles::Split(older);
    const std::vector<CLawUnit> unitsB = CLawArticles::Split(newer);
    std::vector<std::string> keysA, keysB;
    for (const CLawUnit& u : unitsA)
        keysA.push_back(KeyOf(u));
    for (const CLawUnit& u : unitsB)
        keysB.push_back(KeyOf(u));
    auto textOf = [](std::string_view text, const CLawUnit& u) {
        return Lines(text.substr(u.m_nBegin, u.m_nEnd - u.m_nBegin));
    };
    std::vector<CCompareRow> rows;
    dtl::Diff<std::string, std::vector<std::string>> diff(keysA, keysB);
    diff.compose();
    for (const auto& [key, info] : diff.getSes().getSequence()) {
        CCompareRow row;
        if (info.type == dtl::SES_COMMON) {
            const CLawUnit& a = unitsA[static_cast<size_t>(info.beforeIdx - 1)];
            const CLawUnit& b = unitsB[static_cast<size_t>(info.afterIdx - 1)];
            row.m_strHeading = b.m_strHeading;
            DiffUnit(textOf(older, a), textOf(newer, b), row);
        } else if (info.type == dtl::SES_DELETE) {
            const CLawUnit& a = unitsA[static_cast<size_t>(info.beforeIdx - 1)];
            row.m_nState = CCompareRow::Removed;
            row.m_strHeading = a.m_strHeading;
            AddSpan(row.m_old, Joined(textOf(older, a)), false);
        } else {
            const CLawUnit& b = unitsB[static_cast<size_t>(info.afterIdx - 1)];
            row.m_nState = CCompareRow::Added;
            row.m_strHeading = b.m_strHeading;
            AddSpan(row.m_new, Joined(textOf(newer, b)), false);
        }
        rows.push_back(std::move(row));
    }
    return rows;
}

CVersionCompare::CCounts CVersionCompare::Count(const std::vector<CCompareRow>& rows) {
    CCounts counts;
    for (const CCompareRow& row : rows) {
        if (row.m_nState == CCompareRow::Changed)
            ++counts.m_nChanged;
        else if (row.m_nState == CCompareRow::Added)
            ++counts.m_nAdded;
        else if (row.m_nState == CCompareRow::Removed)
            ++counts.m_nRemoved;
    }
    return counts;
}

std::string CVersionCompare::HtmlHead(const std::string& oldCaption,
                                      const std::string& newCaption) {
    std::string out = std::string(kTableStart) + "<tr><th width=\"50%\">";
    AppendEscaped(out, oldCaption);
    out += "</th><th width=\"50%\">";
    AppendEscaped(out, newCaption);
    out += "</th></tr></table>";
    return out;
}

std::vector<std::string> CVersionCompare::HtmlRows(const std::vector<CCompareRow>& rows) {
    std::vector<std::string> html;
    html.reserve(rows.size());
    int change = 0;
    for (const CCompareRow& row : rows) {
        const char* back = nullptr;
        switch (row.m_nState) {
        case CCompareRow::Changed:
            back = kChangedBack;
            break;
        case CCompareRow::Added:
            back = kAddedBack;
            break;
        case CCompareRow::Removed:
            back = kRemovedBack;
            break;
        case CCompareRow::Same:
            break;
        }
        // A table of its own per row: a window lays small tables out far faster than one
        // of hundreds of rows, and can show the first rows before the rest are made.
        std::string out = std::string(kTableStart) + "<tr>";
        for (int side = 0; side < 2; ++side) {
            const std::vector<CCompareSpan>& spans = side == 0 ? row.m_old : row.m_new;
            out += "<td width=\"50%\" valign=\"top\"";
            if (back && !spans.empty()) {
                out += " bgcolor=\"";
                out += back;
                out += '"';
            }
            out += '>';
            if (side == 0 && back)
                out += "<a name=\"" + ChangeAnchor(++change) + "\"></a>";
            AppendSpans(out, spans, side == 0 ? kOldCharBack : kNewCharBack);
            out += "</td>";
        }
        out += "</tr></table>";
        html.push_back(std::move(out));
    }
    return html;
}

std::string CVersionCompare::Html(const std::vector<CCompareRow>& rows,
                                  const std::string& oldCaption, const std::string& newCaption) {
    std::string out = HtmlHead(oldCaption, newCaption);
    for (const std::string& row : HtmlRows(rows))
        out += row;
    return out;
}
