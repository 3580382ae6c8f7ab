#pragma once

#include "ground/GbkCodec.h"
#include "tools/publish/CollectionReader.h"

#include <memory>
#include <string>
#include <vector>

// The three kinds of update pages.
enum class EReplyKind { Tree, Law, Link };

// One reply being produced from a collection: validated parameters, the selected records
// and the position. The text is made in pieces of about 32 KB as the connection asks for
// them, a law's text included, so that the memory a reply needs does not grow with it.
class CReplyStream {
public:
    CReplyStream(std::unique_ptr<CCollectionReader> reader, EReplyKind kind, int edition,
                 const std::string& charset, int maxRecords);
    CReplyStream(const CReplyStream&) = delete;
    CReplyStream& operator=(const CReplyStream&) = delete;

    // Checks the parameters (wire bytes) and selects the records. False with the text of
    // the error reply. A value must be the whole of what it stands for: an id is digits
    // alone, a stamp a date alone; "1%00abc" or "1abc" is no id.
    bool Prepare(const std::string& updatetime, const std::string& id, std::string& error);
    // The last Prepare refused the client's parameters (rather than failing to read the
    // collection): the reply is a bad request.
    bool IsBadRequest() const { return m_bBadRequest; }
    // A client's value as an error reply quotes it: at most kEchoBytes of it, every byte
    // that is no printable ASCII (or is one of "%&<>") as %XX, "..." when cut.
    static constexpr size_t kEchoBytes = 64;
    static std::string Echo(const std::string& value);
    // Copies the next bytes of the reply (wire charset) into `buffer`: the count, 0 at the
    // end, -1 when the collection could not be read further (the reply must then be broken
    // off, so that the client does not take it for complete).
    long Read(char* buffer, size_t size);
    // The whole error reply of a text.
    std::string ErrorReply(const std::string& text);

private:
    bool Produce();
    bool ProduceLaw();
    void AddUtf8(const std::string& text);

    std::unique_ptr<CCollectionReader> m_pReader;
    EReplyKind m_kind;
    std::string m_strPrefix;
    CGbkCodec m_codec;
    int m_nMaxRecords;
    std::string m_strStamp; // canonical request stamp, "" for none
    long long m_nId = -1;   // request id, -1 for none
    long long m_nCount = 0;
    bool m_bHeaderDone = false;
    bool m_bEnded = false;
    bool m_bFailed = false;
    bool m_bBadRequest = false;
    std::string m_strHeaderStamp;
    std::vector<CPublishedTree> m_trees;
    size_t m_nNextTree = 0;
    // The law being written: 0 none, 1 its text.
    int m_nLawStage = 0;
    bool m_bBodyEmpty = true;
    std::string m_strBodyCarry; // an unfinished UTF-8 sequence at the end of a text piece
    std::string m_strLawTail;
    std::string m_strPending; // wire bytes not yet handed out
    size_t m_nPendingAt = 0;
};
