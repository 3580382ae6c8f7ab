#include "app/TolvarinDoc.h"

#include "data/CollectionFile.h"

CTolvarinDoc::~CTolvarinDoc() {
    m_db.Close();
}

bool CTolvarinDoc::ConnectDatabase() {
    if (m_db.IsOpen())
        return true;
    // Without a collection there is nothing to connect to, and nothing to complain about:
    // the law pane says what to do.
    const std::string connection = GetConnectionString();
    return !connection.empty() && m_db.Connect(connection.c_str(), 0) == 1;
}
