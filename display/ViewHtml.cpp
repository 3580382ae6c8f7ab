#include "display/ViewHtml.h"

#include "display/HtmlText.h"

namespace {

constexpr std::string_view kFullWidthBlank = "\xE3\x80\x80";

// Writes a run of text: stray '<' escaped, blank runs holding a full-width blank kept wide.
void AppendText(std::string& out, std::string_view text) {
    size_t i = 0;
    while (i < text.size()) {
        const char c = text[i];
        if (c == '<') {
            out += "&lt;";
            ++i;
            continue;
        }
        if (c == ' ' || text.substr(i, 3) == kFullWidthBlank) {
            size_t end = i;
            bool wide = false;
            while (end < text.size()) {
                if (text[end] == ' ') {
                    ++end;
                } else if (text.substr(end, 3) == kFullWidthBlank) {
                    end += 3;
                    wide = true;
                } else {
                    break;
                }
            }
            if (wide) {
                out += "<span style=\"white-space:pre-wrap\">";
                out += text.substr(i, end - i);
                out += "</span>";
            } else {
                out += text.substr(i, end - i);
            }
            i = end;
            continue;
        }
        out += c;
        ++i;
    }
}

} // namespace

bool CViewHtml::OuterTableIsOneColumn(std::string_view page) {
    int depth = 0;
    bool seen = false;
    int cells = 0;
    bool oneColumn = true;
    CHtmlText::Scan(
        page, [](size_t, size_t) {},
        [&](size_t begin, size_t end) {
            if (CHtmlText::IsTag(page, begin, end, "table")) {
                if (depth == 0 && seen)
                    oneColumn = false; // a second outer table: leave the page as it is
                seen = true;
                ++depth;
            } else if (CHtmlText::IsTag(page, begin, end, "/table")) {
                if (depth > 0)
                    --depth;
            } else if (depth == 1) {
                if (CHtmlText::IsTag(page, begin, end, "tr")) {
                    cells = 0;
                } else if (CHtmlText::IsTag(page, begin, end, "td") ||
                           CHtmlText::IsTag(page, begin, end, "th")) {
                    if (++cells > 1)
                        oneColumn = false;
                }
            }
        });
    return seen && oneColumn;
}

std::string CViewHtml::Prepare(std::string_view page) {
    const bool flatten = OuterTableIsOneColumn(page);
    std::string out;
    out.reserve(page.size() + page.size() / 16 + 64);
    int depth = 0;
    CHtmlText::Scan(
        page, [&](size_t begin, size_t end) { AppendText(out, page.substr(begin, end - begin)); },
        [&](size_t begin, size_t end) {
            const std::string_view tag = page.substr(begin, end - begin);
            if (!flatten) {
                out += tag;
                return;
            }
            if (CHtmlText::IsTag(page, begin, end, "table")) {
                out += ++depth == 1 ? "<div>" : tag;
            } else if (CHtmlText::IsTag(page, begin, end, "/table")) {
                out += depth == 1 ? "</div>" : tag;
                if (depth > 0)
                    --depth;
            } else if (depth == 1 && (CHtmlText::IsTag(page, begin, end, "td") ||
                                      CHtmlText::IsTag(page, begin, end, "th"))) {
                out += "<div>";
            } else if (depth == 1 && (CHtmlText::IsTag(page, begin, end, "/td") ||
                                      CHtmlText::IsTag(page, begin, end, "/th"))) {
                out += "</div>";
            } else if (depth == 1 && (CHtmlText::IsTag(page, begin, end, "tr") ||
                                      CHtmlText::IsTag(page, begin, end, "/tr") ||
                                      CHtmlText::IsTag(page, begin, end, "tbody") ||
                                      CHtmlText::IsTag(page, begin, end, "/tbody"))) {
                // rows only group the cells
            } else {
                out += tag;
            }
        });
    return out;
}

size_t CViewHtml::MarkupStartFrom(std::string_view html, size_t from) {
    size_t at = html.find('<', from);
    while (at != std::string::npos && CHtmlText::MarkupEnd(html, at) == at)
        at = html.find('<', at + 1);
    return at;
}

std::vector<size_t> CViewHtml::PartStarts(std::string_view html, size_t partBytes) {
    std::vector<size_t> starts;
    if (partBytes == 0 || html.size() <= partBytes)
        return starts;
    starts.push_back(0);
    for (;;) {
        const size_t at = MarkupStartFrom(html, starts.back() + partBytes);
        if (at == std::string::npos || html.size() - at < partBytes / 8)
            break;
        starts.push_back(at);
    }
    if (starts.size() == 1)
        starts.clear();
    return starts;
}
