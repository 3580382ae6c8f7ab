// The word splitting of the searches and the text replacement of the law page over any
// text, pattern and replacement.

#include "FuzzInput.h"
#include "ground/TextUtil.h"

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::vector<std::string> parts = SplitFuzzInput(data, size, 3);
    const std::string& source = parts[0];

    // The word ends at the first space; the rest follows the blanks after it.
    std::string text = source;
    const std::string word = ExtractFirstWord(text);
    FUZZ_CHECK(word.find(' ') == std::string::npos);
    FUZZ_CHECK(source.compare(0, word.size(), word) == 0);
    FUZZ_CHECK(source.size() >= word.size() + text.size());
    FUZZ_CHECK(source.compare(source.size() - text.size(), text.size(), text) == 0);
    for (size_t i = word.size(); i < source.size() - text.size(); ++i)
        FUZZ_CHECK(IsBlank(source[i]));
    FUZZ_CHECK(text.empty() || !IsBlank(text[0]));

    const std::vector<std::string> words = SplitWords(source);
    FUZZ_CHECK(words.empty() == source.empty());
    for (const std::string& w : words)
        FUZZ_CHECK(w.find(' ') == std::string::npos);

    // Replacing: a pattern replaced by itself changes nothing; every count is bounded by the
    // occurrences; valid UTF-8 stays valid.
    const std::string& pattern = parts[1];
    const std::string& replacement = parts[2];
    std::string same = source;
    const size_t n = ReplaceAll(same, pattern, pattern);
    FUZZ_CHECK(same == source);
    std::string replaced = source;
    const size_t count = ReplaceAll(replaced, pattern, replacement);
    FUZZ_CHECK(count == n);
    FUZZ_CHECK(pattern.empty() ? count == 0 : count <= source.size() / pattern.size());
    FUZZ_CHECK(replaced.size() + count * pattern.size() ==
               source.size() + count * replacement.size());
    if (count == 0)
        FUZZ_CHECK(replaced == source);
    if (IsValidUtf8(source) && IsValidUtf8(pattern) && IsValidUtf8(replacement))
        FUZZ_CHECK(IsValidUtf8(replaced));

    std::string trimmed = source;
    TrimRight(trimmed);
    FUZZ_CHECK(trimmed.empty() || !IsBlank(trimmed.back()));
    const std::string_view prefix = Utf8Prefix(source, pattern.size());
    FUZZ_CHECK(prefix.size() <= pattern.size() || prefix == source);
    if (IsValidUtf8(source))
        FUZZ_CHECK(IsValidUtf8(prefix));
    FUZZ_CHECK(AsciiLower(source).size() == source.size());
    return 0;
}
