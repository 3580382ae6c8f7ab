#pragma once

#include "update/UpdateProgressSink.h"

#include <string>

// What an update run needs of the program around it: the main window or the headless
// updater. Every call comes from a worker thread.
class CUpdateRunHost : public CUpdateProgressSink {
public:
    // The confirmation before the categories; blocks the category worker until the user has
    // answered. True for "确定".
    virtual bool ConfirmUpdate() = 0;
    // The whole run succeeded (posted once, after the English link reply).
    virtual void UpdateFinished() = 0;
    // A stage (UpdateMsg::kTreeProgress, kLawProgress or kLinkProgress) starts its download
    // of an edition (0 Chinese, 1 English).
    virtual void StageEdition(int /*stage*/, int /*edition*/) {}
    // Records were merged with bytes that were invalid in their reply's charset replaced by
    // U+FFFD: the text names them (UpdateRun::ReplacedWarning). Comes before UpdateFinished
    // and RunEnded; the host shows it as the last word of the run.
    virtual void RunWarning(const std::string& /*text*/) {}
    // The run is over, with or without success; the last call of a run.
    virtual void RunEnded(bool /*success*/) {}
};
