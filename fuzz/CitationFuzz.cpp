// The citation parser over any law text: citations in order, inside the text, never
// overlapping, each with a title or a reference of the law to itself; the sentence and the
// article text taken from any place stay inside the text; the links inserted into the text
// (without a collection: the law's references to itself only) leave a text without markup as
// it was once their tags are taken out.

#include "FuzzInput.h"
#include "data/CitationParser.h"
#include "display/CitationLinks.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    size_t end = 0;
    for (const CCitation& c : CCitationParser::Parse(text)) {
        FUZZ_CHECK(c.m_nBegin >= end);
        FUZZ_CHECK(c.m_nBegin < c.m_nEnd);
        FUZZ_CHECK(c.m_nEnd <= text.size());
        end = c.m_nEnd;
        const std::string sentence = CCitationParser::SentenceAround(text, c.m_nBegin, c.m_nEnd);
        FUZZ_CHECK(sentence.size() <= text.size());
        FUZZ_CHECK(!c.IsSameLaw() || c.m_nArticle != 0 || text.compare(c.m_nBegin, 6, "前款") == 0);
        CCitationParser::ArticleText(text, c.m_nArticle);
    }
    const std::string linked =
        CCitationLinks::Insert(text, 1, "2000-01-01", nullptr, "dornlaws", "x");
    // In a text without markup every tag of the result is a link's.
    if (text.find_first_of("<&") != std::string::npos)
        return 0;
    std::string plain;
    for (size_t at = 0; at < linked.size();) {
        if (linked[at] == '<') {
            at = linked.find('>', at);
            FUZZ_CHECK(at != std::string::npos);
            ++at;
        } else {
            plain += linked[at++];
        }
    }
    FUZZ_CHECK(plain == text);
    return 0;
}
