#pragma once

#include "browse/LawRow.h"

#include <string>
#include <vector>

class CDbConnection;

// What a listing task (StartListTask) may do on the law-list worker thread. It touches no
// widget: its rows and its failure reach the list as a listing's do.
class CListTaskContext {
public:
    virtual ~CListTaskContext() = default;
    // The worker's connection to the collection, connected.
    virtual CDbConnection& Connection() = 0;
    // Appends rows to the list, in batches as a listing's rows come; false once the task has
    // been asked to stop (the rows are then dropped).
    virtual bool Deliver(std::vector<CLawRow>&& rows) = 0;
    // The task has been asked to stop: a newer listing, a cleared list, a closing window.
    virtual bool Stopped() = 0;
    // The rows delivered are not all the task should have listed; `text` says why and is
    // what the list reports at the end, `code` is the engine's result code of the failure.
    virtual void Fail(const std::string& text, int code) = 0;
};
