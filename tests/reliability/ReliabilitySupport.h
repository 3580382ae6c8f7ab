#pragma once
// Helpers of the reliability tests: a publisher collection large enough for a run to be
// broken off anywhere, the checks that a client database is sound and holds nothing
// half-written, and tolvarin-update as a child process.

#include "tests/update/UpdateTestSupport.h"

#include <chrono>
#include <string>
#include <sys/types.h>
#include <vector>

// FillPublisher's collection and, in both editions, more categories, laws with bodies of
// several lines and links, spread over many stamps so that a run goes on from the middle.
void FillLargePublisher(const std::string& db);

// "ok" from PRAGMA integrity_check, else its complaints.
std::string IntegrityCheck(const std::string& db);

// Fails the test when a row of `client` is not exactly the publisher's row of the same
// server id: a law with part of its text, a category without its name, a link the
// publisher does not have.
void ExpectNothingHalfWritten(const std::string& client, const std::string& publisher);

// Fails the test at the first row where two snapshots differ.
void ExpectSameRows(const Rows& got, const Rows& want);

// The client database of one uninterrupted run from an empty collection.
Rows UninterruptedRun(const std::string& server);

// tolvarin-update --yes --server `server`, started in `dir`, standard error into `errFile`.
pid_t StartUpdate(const std::string& dir, const std::string& server, const std::string& errFile);
// Waits for the child; its exit status, -signal, or -1000 on timeout (the child is killed).
int WaitUpdate(pid_t pid, std::chrono::milliseconds timeout);
// Whole text of a file.
std::string ReadFile(const std::string& path);
