#pragma once

#include "browse/ListQuerySink.h"

#include <mutex>

class QObject;

// Carries a worker's listing to the law list as queued CListEvents. The list detaches the
// channel when it is destroyed; what a worker sends after that is dropped.
class CListQueryChannel final : public CListQuerySink {
public:
    explicit CListQueryChannel(QObject* receiver) : m_pReceiver(receiver) {}

    void Detach();

    void BeginListing(std::uint64_t token) override;
    void AppendRows(std::uint64_t token, std::vector<CLawRow>&& rows, bool repaintNow) override;
    void FailListing(std::uint64_t token, const CListFailure& failure) override;
    void EndListing(std::uint64_t token) override;

private:
    std::mutex m_mutex;
    QObject* m_pReceiver;
};
