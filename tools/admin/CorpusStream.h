#pragma once

#include <istream>
#include <memory>
#include <streambuf>
#include <string>

// A corpus file as a stream of text lines, read as it is stored: plain JSON Lines, or
// compressed with xz (recognised by its magic bytes, whatever the file's name). Reading a
// damaged or cut-off compressed file sets badbit, so that the end of the stream is never
// mistaken for the end of the corpus; Error() then tells what went wrong.
class CCorpusStream : public std::istream {
public:
    explicit CCorpusStream(const std::string& path);
    ~CCorpusStream() override;
    CCorpusStream(const CCorpusStream&) = delete;
    CCorpusStream& operator=(const CCorpusStream&) = delete;

    // The file could be opened (a bad compressed body shows only while reading).
    bool IsOpen() const { return m_bOpen; }
    bool IsCompressed() const { return m_bCompressed; }
    // Why reading stopped early; empty while all is well.
    std::string Error() const;
    // How far the file is read, in its stored bytes (compressed ones for an xz file), and
    // its size (-1 when not known): the share of the corpus read so far, for progress.
    long long BytesRead();
    long long FileSize() const { return m_nFileSize; }

    // True when the file starts with the xz magic bytes.
    static bool IsXzFile(const std::string& path);

private:
    std::unique_ptr<std::streambuf> m_pBuffer;
    bool m_bOpen = false;
    bool m_bCompressed = false;
    long long m_nFileSize = -1;
};
