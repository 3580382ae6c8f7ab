// libFuzzer target for the law page: the input is split at NUL bytes into body, title, a
// search word and a find word; the page must come out as valid UTF-8 whenever the input is.
#include "display/LawPage.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

bool ValidUtf8(const std::string& s) {
    for (size_t i = 0; i < s.size();) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        const size_t n = c < 0x80         ? 1
                         : (c >> 5) == 6  ? 2
                         : (c >> 4) == 14 ? 3
                         : (c >> 3) == 30 ? 4
                                          : 0;
        if (n == 0 || i + n > s.size())
            return false;
        for (size_t k = 1; k < n; ++k)
            if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80)
                return false;
        i += n;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<std::string> parts(1);
    for (size_t i = 0; i < size; ++i) {
        if (data[i] == 0 && parts.size() < 4)
            parts.emplace_back();
        else
            parts.back().push_back(static_cast<char>(data[i]));
    }
    parts.resize(4);
    CLawFields law;
    law.m_strBody = parts[0];
    law.m_strTopic = parts[1];
    const std::string page =
        CLawPage::Render(law, "<td>{{标题}}</td><td>{{内容}}</td>", {parts[2]}, {parts[3]});
    bool valid = true;
    for (const std::string& part : parts)
        valid = valid && ValidUtf8(part);
    if (valid && !ValidUtf8(page))
        std::abort();
    return 0;
}
