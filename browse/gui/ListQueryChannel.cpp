#include "browse/gui/ListQueryChannel.h"

#include "browse/gui/ListEvent.h"

#include <QCoreApplication>

void CListQueryChannel::Detach() {
    std::lock_guard lock(m_mutex);
    m_pReceiver = nullptr;
}

void CListQueryChannel::BeginListing(std::uint64_t token) {
    std::lock_guard lock(m_mutex);
    if (m_pReceiver)
        QCoreApplication::postEvent(m_pReceiver, new CListEvent(CListEvent::Begin, token));
}

void CListQueryChannel::AppendRows(std::uint64_t token, std::vector<CLawRow>&& rows,
                                   bool repaintNow) {
    std::lock_guard lock(m_mutex);
    if (m_pReceiver)
        QCoreApplication::postEvent(
            m_pReceiver, new CListEvent(CListEvent::Rows, token, std::move(rows), repaintNow));
}

void CListQueryChannel::FailListing(std::uint64_t token, const CListFailure& failure) {
    std::lock_guard lock(m_mutex);
    if (m_pReceiver) {
        auto* e = new CListEvent(CListEvent::Failed, token);
        e->m_failure = failure;
        QCoreApplication::postEvent(m_pReceiver, e);
    }
}

void CListQueryChannel::EndListing(std::uint64_t token) {
    std::lock_guard lock(m_mutex);
    if (m_pReceiver)
        QCoreApplication::postEvent(m_pReceiver, new CListEvent(CListEvent::End, token));
}
