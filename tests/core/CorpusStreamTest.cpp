// Reading a corpus as stored: plain or xz-compressed, and never a damaged file taken for a
// shorter corpus.
#include "tools/admin/CorpusStream.h"
#include "TestDb.h"
#include "data/DbRecordset.h"
#include "data/SearchIndex.h"
#include "ground/MessageService.h"
#include "tools/admin/CollectionWriter.h"
#include "tools/admin/CorpusImporter.h"

#include <fstream>
#include <gtest/gtest.h>
#include <lzma.h>
#include <string>
#include <vector>

namespace {

std::string Xz(const std::string& text) {
    std::string out(lzma_stream_buffer_bound(text.size()), '\0');
    size_t written = 0;
    EXPECT_EQ(lzma_easy_buffer_encode(6, LZMA_CHECK_CRC64, nullptr,
                                      reinterpret_cast<const uint8_t*>(text.data()), text.size(),
                                      reinterpret_cast<uint8_t*>(out.data()), &written, out.size()),
              LZMA_OK);
    out.resize(written);
    return out;
}

void Write(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string Law(int i) {
    return R"({"category":["法律","民法"],"title":"法规)" + std::to_string(i) +
           R"(","date":"2001-02-03","department":"全国人大","number":"","body":"第一条 正文)" +
           std::to_string(i) + "\"}\n";
}

// Enough lines that the compressed form spans several reads of the decoder.
std::string Corpus(int laws) {
    std::string text;
    for (int i = 0; i < laws; ++i)
        text += Law(i);
    return text;
}

std::vector<std::string> Lines(CCorpusStream& in) {
    std::vector<std::string> lines;
    std::string line;
    while (std::getline(in, line))
        lines.push_back(line);
    return lines;
}

} // namespace

TEST(CorpusStream, ReadsPlainAndCompressedAlikeAndRefusesDamage) {
    TempDir dir;
    const std::string text = Corpus(20000);
    const std::string xz = Xz(text);
    ASSERT_GT(xz.size(), 1000u);
    std::string flipped = xz;
    flipped[xz.size() / 2] = static_cast<char>(flipped[xz.size() / 2] ^ 0x55);
    const struct {
        const char* name;
        std::string bytes;
        bool compressed;
        bool whole;    // every line read and no error
        bool textLost; // damage inside the text: lines are missing
    } cases[] = {
        {"plain.jsonl", text, false, true, false},
        // Named as plain text but compressed: the bytes decide.
        {"compressed.jsonl", xz, true, true, false},
        {"cut.jsonl.xz", xz.substr(0, xz.size() / 2), true, false, true},
        {"flipped.jsonl.xz", flipped, true, false, true},
        // Only the end marker is missing: the text is all there, but the file is not whole.
        {"tail-missing.jsonl.xz", xz.substr(0, xz.size() - 4), true, false, false},
        {"empty.jsonl", "", false, true, false},
    };
    const size_t allLines = 20000;
    for (const auto& c : cases) {
        const std::string path = dir.File(c.name);
        Write(path, c.bytes);
        CCorpusStream in(path);
        ASSERT_TRUE(in.IsOpen()) << c.name;
        EXPECT_EQ(in.IsCompressed(), c.compressed) << c.name;
        const std::vector<std::string> lines = Lines(in);
        if (c.whole) {
            EXPECT_FALSE(in.bad()) << c.name;
            EXPECT_EQ(in.Error(), "") << c.name;
            EXPECT_EQ(lines.size(), c.bytes.empty() ? 0 : allLines) << c.name;
            if (!lines.empty()) {
                EXPECT_EQ(lines.back() + "\n", Law(19999)) << c.name;
            }
        } else {
            EXPECT_TRUE(in.bad()) << c.name;
            EXPECT_NE(in.Error(), "") << c.name;
            EXPECT_LE(lines.size(), allLines) << c.name;
            if (c.textLost) {
                EXPECT_LT(lines.size(), allLines) << c.name;
            }
        }
    }
    CCorpusStream missing(dir.File("none.jsonl.xz"));
    EXPECT_FALSE(missing.IsOpen());
    EXPECT_TRUE(missing.fail());
}

TEST(CorpusStream, ImportOfADamagedCompressedCorpusFailsInsteadOfFilingPart) {
    CMessageRecorder boxes;
    TempDir dir;
    const std::string xz = Xz(Corpus(3000));
    const struct {
        const char* name;
        std::string bytes;
        long long laws;
    } cases[] = {
        {"whole.jsonl.xz", xz, 3000},
        {"cut.jsonl.xz", xz.substr(0, xz.size() * 2 / 3), -1},
    };
    for (const auto& c : cases) {
        TestDb fixture;
        Write(dir.File(c.name), c.bytes);
        CCollectionWriter writer;
        std::string error;
        ASSERT_TRUE(writer.Open(fixture.File(), error)) << error;
        ASSERT_TRUE(writer.BeginEdition("", error)) << error;
        EXPECT_EQ(CCorpusImporter::Import(dir.File(c.name), writer, error), c.laws) << c.name;
        if (c.laws < 0) {
            EXPECT_NE(error.find(c.name), std::string::npos) << error;
        } else {
            EXPECT_TRUE(writer.EndEdition(error)) << error;
        }
    }
    EXPECT_TRUE(boxes.Messages().empty());
}

TEST(CorpusStream, ImportTellsTheShareOfTheFileReadAndTheWriterItsPhases) {
    CMessageRecorder boxes;
    TempDir dir;
    const std::string text = Corpus(20000);
    const struct {
        const char* name;
        std::string bytes;
    } cases[] = {{"plain.jsonl", text}, {"packed.jsonl.xz", Xz(text)}};
    for (const auto& c : cases) {
        TestDb fixture;
        Write(dir.File(c.name), c.bytes);
        CCollectionWriter writer;
        long long lawsWritten = 0;
        // The index's reports: begun (0 of -1), the laws in it of the total, merged (-1 of -1).
        std::vector<std::pair<long long, long long>> index;
        writer.SetProgressHook(
            [&](CCollectionWriter::Phase phase, long long done, long long total) {
                if (phase == CCollectionWriter::Phase::kLaws)
                    lawsWritten = done;
                else
                    index.emplace_back(done, total);
            });
        std::string error;
        ASSERT_TRUE(writer.Open(fixture.File(), error)) << error;
        ASSERT_TRUE(writer.BeginEdition("", error)) << error;
        long long told = 0;
        double last = 0;
        bool ordered = true;
        double atHalf = -1; // the share told when half the laws were filed
        EXPECT_EQ(CCorpusImporter::Import(dir.File(c.name), writer, error,
                                          [&](long long laws, double fraction) {
                                              ordered = ordered && laws == told + 1 &&
                                                        fraction >= last && fraction <= 1;
                                              told = laws;
                                              last = fraction;
                                              if (laws == 10000)
                                                  atHalf = fraction;
                                          }),
                  20000)
            << error;
        EXPECT_TRUE(ordered) << c.name;
        EXPECT_EQ(told, 20000) << c.name;
        // The share follows the reading: about half way at half the laws (the decoder reads
        // ahead of the lines handed out), the whole file at the end.
        EXPECT_GT(atHalf, 0.3) << c.name;
        EXPECT_LT(atHalf, 0.8) << c.name;
        EXPECT_DOUBLE_EQ(last, 1.0) << c.name;
        EXPECT_EQ(lawsWritten, 20000) << c.name;
        EXPECT_TRUE(index.empty()) << c.name;
        EXPECT_TRUE(writer.EndEdition(error)) << error;
        const long long batch = CSearchIndex::kFillBatch;
        std::vector<std::pair<long long, long long>> expected = {{0, -1}};
        for (long long done = batch; done < 20000 + batch; done += batch)
            expected.emplace_back(std::min(done, 20000LL), 20000);
        expected.emplace_back(-1, -1);
        EXPECT_EQ(index, expected) << c.name;
    }
    EXPECT_TRUE(boxes.Messages().empty());
}
