#include "app/TolvarinDoc.h"

#include "app/AppConstants.h"

CTolvarinDoc::~CTolvarinDoc() {
    m_db.Close();
}

bool CTolvarinDoc::ConnectDatabase() {
    return m_db.Connect(kConnectionString, 0) == 1;
}
