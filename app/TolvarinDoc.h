#pragma once

#include "data/DbConnection.h"
#include "data/DocumentDatabase.h"

class CMainFrame;
struct CUpdateSettings;

// The one document: an empty container whose only content is the GUI thread's database
// connection. Nothing is opened or saved as a file.
class CTolvarinDoc : public CDocumentDatabase {
public:
    CTolvarinDoc() = default;
    ~CTolvarinDoc() override;
    CTolvarinDoc(const CTolvarinDoc&) = delete;
    CTolvarinDoc& operator=(const CTolvarinDoc&) = delete;

    bool OnNewDocument() { return true; }

    // Connects m_db with the program's connection string, reusing an open connection.
    // True when the connection is open.
    bool ConnectDatabase() override;
    CDbConnection& GetDatabase() override { return m_db; }

    // Command 32777: starts the online update.
    void OnSmartUpdate();
    // The update's server and wire charset: the settings profile ([Update] Server, Charset,
    // the user's file over the system's), overridden by the environment.
    static CUpdateSettings ReadUpdateSettings();

    void SetFrame(CMainFrame* frame) { m_pFrame = frame; }
    CMainFrame* GetFrame() const { return m_pFrame; }

    CDbConnection m_db;

private:
    CMainFrame* m_pFrame = nullptr;
};
