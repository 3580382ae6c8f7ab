#pragma once

class CDbConnection;

// The document as the views see it: the GUI thread's connection to the collection. The
// program's document implements it; the tree, the list, the law page, the search box and
// the reader reach the document only through it.
class CDocumentDatabase {
public:
    virtual ~CDocumentDatabase() = default;
    // Connects the connection, reusing an open one. True when it is open.
    virtual bool ConnectDatabase() = 0;
    // The connection, open or not.
    virtual CDbConnection& GetDatabase() = 0;
};
