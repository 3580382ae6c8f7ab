#pragma once

#include <string>
#include <vector>

// One category, one law's head or one link as the publisher reads them. A row without a
// stamp carries CPublisher::kBaseStamp.
struct CPublishedTree {
    long long m_nId = 0;
    long long m_nParid = 0;
    std::string m_strName;
    long long m_nXh = 0;
    std::string m_strStamp;
    int m_nDepth = 0;
};

struct CPublishedLaw {
    long long m_nLawId = 0;
    std::string m_strStamp;
    std::string m_strTopic;
    std::string m_strBumen;
    std::string m_strWenhao;
    std::string m_strDatum;
};

struct CPublishedLink {
    long long m_nLawId = 0;
    long long m_nTreeId = 0;
    std::string m_strStamp;
};

// The reads behind one reply, all from one snapshot of the collection, so that the header
// count and the records agree whatever editors write meanwhile. Texts are UTF-8. Laws and
// links are walked by a cursor and a law's text is read in pieces, so that a reply of any
// size needs only a bounded amount of memory. Table names are those of the client's schema
// with the edition's prefix ("dornlaws", "en_dornlaws").
class CCollectionReader {
public:
    virtual ~CCollectionReader() = default;

    // Opens the collection and takes the snapshot. False with a message for the log.
    virtual bool Open(std::string& error) = 0;

    // Every category of the table.
    virtual bool ReadTrees(const std::string& table, std::vector<CPublishedTree>& rows) = 0;

    // Laws whose stamp is later than `stamp`, or equal with a server id above `id`, in
    // (stamp, id) order, at most `limit` of them (0: all).
    virtual bool CountLaws(const std::string& table, const std::string& stamp, long long id,
                           int limit, long long& count) = 0;
    virtual bool StartLaws(const std::string& table, const std::string& stamp, long long id,
                           int limit) = 0;
    // 1 with the next law's head, 0 after the last, -1 on a failure.
    virtual int NextLaw(CPublishedLaw& law) = 0;
    // The next piece of the current law's text (at most `maxBytes`, cut anywhere); an empty
    // piece after the last. False on a failure.
    virtual bool ReadBody(std::string& piece, size_t maxBytes) = 0;

    // Links whose stamp is later than `stamp`, in (stamp, category, law) order.
    virtual bool CountLinks(const std::string& table, const std::string& stamp,
                            long long& count) = 0;
    virtual bool StartLinks(const std::string& table, const std::string& stamp) = 0;
    // 1 with the next link, 0 after the last, -1 on a failure.
    virtual int NextLink(CPublishedLink& link) = 0;
};
