#include "tools/admin/CorpusStream.h"

#include <array>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <lzma.h>

namespace {

constexpr unsigned char kXzMagic[6] = {0xFD, '7', 'z', 'X', 'Z', 0x00};
// Decoder memory limit: far above what any xz preset needs (-9e takes 65 MiB).
constexpr uint64_t kMemoryLimit = 512ull * 1024 * 1024;

const char* LzmaText(lzma_ret ret) {
    switch (ret) {
    case LZMA_MEM_ERROR:
    case LZMA_MEMLIMIT_ERROR:
        return "not enough memory to decompress";
    case LZMA_FORMAT_ERROR:
        return "not an xz file";
    case LZMA_OPTIONS_ERROR:
        return "unsupported xz options";
    case LZMA_DATA_ERROR:
        return "compressed data is corrupt";
    case LZMA_BUF_ERROR:
        return "compressed data ends too early";
    default:
        return "xz decoder error";
    }
}

// Decompresses an xz file while it is read.
class CXzBuffer final : public std::streambuf {
public:
    explicit CXzBuffer(std::FILE* file) : m_pFile(file) {
        const lzma_ret ret = lzma_stream_decoder(&m_stream, kMemoryLimit, LZMA_CONCATENATED);
        if (ret != LZMA_OK)
            m_strError = LzmaText(ret);
        setg(m_out.data(), m_out.data(), m_out.data());
    }
    ~CXzBuffer() override {
        lzma_end(&m_stream);
        if (m_pFile)
            std::fclose(m_pFile);
    }
    CXzBuffer(const CXzBuffer&) = delete;
    CXzBuffer& operator=(const CXzBuffer&) = delete;

    const std::string& Error() const { return m_strError; }
    // The compressed bytes the decoder has taken in.
    long long Consumed() const { return m_nRead - static_cast<long long>(m_stream.avail_in); }

protected:
    int_type underflow() override {
        if (gptr() < egptr())
            return traits_type::to_int_type(*gptr());
        if (m_bEnd)
            return traits_type::eof();
        if (!m_strError.empty())
            return Fail();
        m_stream.next_out = reinterpret_cast<uint8_t*>(m_out.data());
        m_stream.avail_out = m_out.size();
        while (m_stream.avail_out == m_out.size()) {
            lzma_action action = LZMA_RUN;
            if (m_stream.avail_in == 0 && !m_bInputEnd) {
                const size_t n = std::fread(m_in.data(), 1, m_in.size(), m_pFile);
                m_nRead += static_cast<long long>(n);
                if (n < m_in.size()) {
                    if (std::ferror(m_pFile)) {
                        m_strError = std::strerror(errno);
                        return Fail();
                    }
                    m_bInputEnd = true;
                }
                m_stream.next_in = m_in.data();
                m_stream.avail_in = n;
            }
            if (m_bInputEnd)
                action = LZMA_FINISH;
            const lzma_ret ret = lzma_code(&m_stream, action);
            if (ret == LZMA_STREAM_END) {
                m_bEnd = true;
                break;
            }
            if (ret != LZMA_OK) {
                m_strError = LzmaText(ret);
                // What was decoded before the damage is still handed out, then the error.
                break;
            }
        }
        const size_t produced = m_out.size() - m_stream.avail_out;
        setg(m_out.data(), m_out.data(), m_out.data() + produced);
        if (produced > 0)
            return traits_type::to_int_type(*gptr());
        if (!m_strError.empty())
            return Fail();
        return traits_type::eof();
    }

private:
    // Makes the reading istream set badbit: an exception from underflow does that.
    int_type Fail() { throw std::ios_base::failure(m_strError); }

    std::FILE* m_pFile;
    lzma_stream m_stream = LZMA_STREAM_INIT;
    std::array<uint8_t, 64 * 1024> m_in{};
    std::array<char, 256 * 1024> m_out{};
    long long m_nRead = 0; // bytes read from the file
    bool m_bInputEnd = false;
    bool m_bEnd = false;
    std::string m_strError;
};

} // namespace

bool CCorpusStream::IsXzFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    unsigned char head[sizeof kXzMagic] = {};
    return in.read(reinterpret_cast<char*>(head), sizeof head) &&
           std::memcmp(head, kXzMagic, sizeof kXzMagic) == 0;
}

CCorpusStream::CCorpusStream(const std::string& path) : std::istream(nullptr) {
    if (IsXzFile(path)) {
        std::FILE* file = std::fopen(path.c_str(), "rb");
        if (file) {
            m_pBuffer = std::make_unique<CXzBuffer>(file);
            m_bOpen = true;
            m_bCompressed = true;
        }
    } else {
        auto buffer = std::make_unique<std::filebuf>();
        if (buffer->open(path, std::ios::in | std::ios::binary)) {
            m_pBuffer = std::move(buffer);
            m_bOpen = true;
        }
    }
    rdbuf(m_pBuffer.get());
    if (!m_bOpen)
        setstate(std::ios::failbit);
    std::error_code error;
    const auto size = std::filesystem::file_size(path, error);
    if (m_bOpen && !error)
        m_nFileSize = static_cast<long long>(size);
}

long long CCorpusStream::BytesRead() {
    if (!m_bOpen)
        return 0;
    if (m_bCompressed)
        return static_cast<const CXzBuffer*>(m_pBuffer.get())->Consumed();
    // The file's position less what is buffered but not yet handed out.
    const auto at = m_pBuffer->pubseekoff(0, std::ios::cur, std::ios::in);
    return at < 0 ? 0 : static_cast<long long>(at);
}

CCorpusStream::~CCorpusStream() {
    rdbuf(nullptr);
}

std::string CCorpusStream::Error() const {
    if (!m_bOpen)
        return "cannot open the file";
    if (m_bCompressed) {
        const std::string& error = static_cast<const CXzBuffer*>(m_pBuffer.get())->Error();
        if (!error.empty())
            return error;
    }
    return bad() ? "read error" : "";
}
