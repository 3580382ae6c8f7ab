// Building the law page from any fields, words and template: never a crash, and the body
// and the fields always reach the page.

#include "FuzzInput.h"
#include "display/HtmlText.h"
#include "display/LawPage.h"
#include "display/ViewHtml.h"
#include "ground/TextUtil.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::vector<std::string> parts = SplitFuzzInput(data, size, 8);
    CLawFields law;
    law.m_strTopic = parts[0];
    law.m_strBumen = parts[1];
    law.m_strWenhao = parts[2];
    law.m_strDatum = parts[3];
    law.m_strBody = parts[4];
    const std::vector<std::string> search = SplitWords(parts[5]);
    const std::vector<std::string> find = SplitWords(parts[6]);
    const std::string& pageTemplate = parts[7];

    const std::string page = CLawPage::Render(law, pageTemplate, search, find);

    // What the view is given holds no '<' that a browser would take for text.
    const std::string shown = CViewHtml::Prepare(page);
    CHtmlText::Scan(
        shown,
        [&](size_t begin, size_t end) {
            FUZZ_CHECK(shown.find('<', begin) == std::string::npos ||
                       shown.find('<', begin) >= end);
        },
        [](size_t, size_t) {});

    // With the body placeholder alone and no words the page is the converted body.
    std::string body = law.m_strBody;
    CLawPage::ConvertBody(body);
    FUZZ_CHECK(CLawPage::Render(law, "{{内容}}", {}, {}) == body);
    FUZZ_CHECK(body.find('\n') == std::string::npos && body.find('\b') == std::string::npos);

    // Marks wrap the words and leave the text around them.
    std::string marked = body;
    CLawPage::Highlight(marked, search, CLawPage::kSearchColor);
    FUZZ_CHECK(marked.size() >= body.size());
    return 0;
}
