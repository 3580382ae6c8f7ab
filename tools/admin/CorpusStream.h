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

    // True when the file starts with the xz magic bytes.
    static bool IsXzFile(const std::string& path);

private:
    std::unique_ptr<std::streambuf> m_pBuffer;
    bool m_bOpen = false;
    bool m_bCompressed = false;
};
