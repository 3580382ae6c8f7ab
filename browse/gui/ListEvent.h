#pragma once

#include "browse/LawRow.h"
#include "browse/ListQuerySink.h"

#include <QEvent>

#include <cstdint>
#include <string>
#include <vector>

// What a law-list worker delivers, queued to the list on the GUI thread.
class CListEvent : public QEvent {
public:
    enum Kind { Begin, Rows, Failed, End };

    CListEvent(Kind kind, std::uint64_t token, std::vector<CLawRow>&& rows = {},
               bool repaintNow = false)
        : QEvent(EventType()), m_kind(kind), m_nToken(token), m_rows(std::move(rows)),
          m_bRepaintNow(repaintNow) {}

    static QEvent::Type EventType() {
        static const QEvent::Type type = static_cast<QEvent::Type>(QEvent::registerEventType());
        return type;
    }

    const Kind m_kind;
    const std::uint64_t m_nToken;
    std::vector<CLawRow> m_rows;
    const bool m_bRepaintNow;
    CListFailure m_failure; // Failed: why
};
