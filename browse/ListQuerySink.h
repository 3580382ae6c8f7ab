#pragma once

#include "browse/LawRow.h"

#include <cstdint>
#include <vector>

// Where a law-list worker delivers its listing. Every call comes from the worker thread;
// for one job the order is BeginListing, AppendRows any number of times, EndListing.
// An implementation only queues what it is given for the list's own thread.
class CListQuerySink {
public:
    virtual ~CListQuerySink() = default;
    // The job owns the list now: delete all rows.
    virtual void BeginListing(std::uint64_t token) = 0;
    // Append rows in the order given; `repaintNow` asks for an immediate repaint (the first
    // rows of a listing).
    virtual void AppendRows(std::uint64_t token, std::vector<CLawRow>&& rows, bool repaintNow) = 0;
    // The job is done (complete or stopped): add the no-records row if the list has no rows,
    // then repaint.
    virtual void EndListing(std::uint64_t token) = 0;
};
