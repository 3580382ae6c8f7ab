// The update wire's charset conversion over any bytes: decoding always gives valid UTF-8,
// a decoded text survives the way back and forth, and valid UTF-8 is never altered by it.

#include "FuzzInput.h"
#include "ground/GbkCodec.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static CGbkCodec codec("GBK");
    FUZZ_CHECK(codec.IsValid());
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);

    const std::string text = codec.ToUtf8(bytes);
    FUZZ_CHECK(IsValidUtf8(text));
    const std::string wire = codec.FromUtf8(text);
    FUZZ_CHECK(codec.ToUtf8(wire) == text);

    // The same bytes taken as UTF-8 (as typed text), with what is not UTF-8 replaced.
    const std::string encoded = codec.FromUtf8(bytes);
    if (IsValidUtf8(bytes))
        FUZZ_CHECK(codec.ToUtf8(encoded) == bytes);
    FUZZ_CHECK(IsValidUtf8(codec.ToUtf8(encoded)));
    CGbkCodec::GbkByteCount(bytes);
    return 0;
}
