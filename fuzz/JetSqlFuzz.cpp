// The Jet dialect translation over any statement text: never a crash, and it never moves a
// quote, so a text literal can never be opened or closed by the translation and the data
// inside one stays data.

#include "FuzzInput.h"

#include "data/JetSql.h"
#include <algorithm>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view jet(reinterpret_cast<const char*>(data), size);
    std::string out;
    std::string error;
    if (CJetSql::Translate(jet, out, error)) {
        // Without date literals (#...#), which become quoted texts, the quotes stay as given.
        if (jet.find('#') == std::string_view::npos)
            FUZZ_CHECK(std::count(out.begin(), out.end(), '\'') ==
                       std::count(jet.begin(), jet.end(), '\''));
    } else {
        FUZZ_CHECK(!error.empty());
    }
    std::string date;
    if (CJetSql::CanonicalDate(jet, date)) {
        FUZZ_CHECK(date.size() == 19);
        std::string same;
        FUZZ_CHECK(CJetSql::CanonicalDate(date, same) && same == date);
    }
    CJetSql::IsDateColumn(jet);
    return 0;
}
