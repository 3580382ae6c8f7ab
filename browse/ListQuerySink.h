#pragma once

#include "browse/LawRow.h"

#include <cstdint>
#include <string>
#include <vector>

// Why a listing is not complete.
struct CListFailure {
    std::string m_strError; // the engine's text, or the task's own words
    int m_nCode = 0;        // the engine's result code (0 when unknown)
    // The statement was refused before it delivered a row (not a failed read): nothing of
    // the listing was read.
    bool m_bRefused = false;
};

// Where a law-list worker delivers its listing. Every call comes from the worker thread;
// for one job the order is BeginListing, AppendRows any number of times, FailListing when
// the statement failed part-way, EndListing.
// An implementation only queues what it is given for the list's own thread.
class CListQuerySink {
public:
    virtual ~CListQuerySink() = default;
    // The job owns the list now: delete all rows.
    virtual void BeginListing(std::uint64_t token) = 0;
    // Append rows in the order given; `repaintNow` asks for an immediate repaint (the first
    // rows of a listing).
    virtual void AppendRows(std::uint64_t token, std::vector<CLawRow>&& rows, bool repaintNow) = 0;
    // Reading the rows failed (a damaged or unreadable database), or the statement was
    // refused: the rows delivered are not all the listing has. Not sent for a stopped job.
    virtual void FailListing(std::uint64_t token, const CListFailure& failure) = 0;
    // The job is done (complete, failed or stopped): add the no-records row if the list has no
    // rows, then repaint.
    virtual void EndListing(std::uint64_t token) = 0;
};
