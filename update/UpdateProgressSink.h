#pragma once

#include <string>

// Message numbers the update run reports with; the main window uses the same numbers.
namespace UpdateMsg {
inline constexpr int kFinished = 103;     // the whole run succeeded; both parameters 0
inline constexpr int kTreeProgress = 104; // categories: header count, records handled
inline constexpr int kLawProgress = 105;  // laws: header count, records seen
inline constexpr int kLinkProgress = 106; // links: header count, records seen
} // namespace UpdateMsg

// Where the updaters report their progress. Called on the worker's thread; an
// implementation queues the report and returns at once.
class CUpdateProgressSink {
public:
    virtual ~CUpdateProgressSink() = default;
    virtual void PostProgress(int message, int total, int count) = 0;
    // A state beside the counts that the user should see, such as a wait for the database;
    // an empty text when it is over.
    virtual void PostStatus(const std::string& /*text*/) {}
};
