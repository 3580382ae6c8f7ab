#pragma once

#include "display/gui/PrintDocument.h"

#include <QFont>
#include <QObject>

#include <memory>
#include <string>

// Makes a CPrintDocument of a whole law page on a worker thread, as the law pane parses a long
// page, and hands it to the GUI thread. Progress and the result arrive as signals on the GUI
// thread. Cancel, or deleting the job, stops the worker at its next step and drops what it
// made.
class CPrintJob : public QObject {
    Q_OBJECT
public:
    CPrintJob(std::string bodyHtml, const QString& title, const QFont& font,
              const CPrintDocument::CPaper& paper, QObject* parent = nullptr);
    ~CPrintJob() override;

    void Start();
    void Cancel();
    // Workers still making a document, of any job (also of cancelled ones).
    static int Running();

signals:
    void progress(int done, int total);
    // The document, now the receiver's to own; never sent after Cancel.
    void finished(CPrintDocument* doc);

protected:
    bool event(QEvent* e) override;

private:
    struct CChannel;

    std::string m_strBodyHtml;
    QString m_strTitle;
    QFont m_font;
    CPrintDocument::CPaper m_paper;
    std::shared_ptr<CChannel> m_pChannel;
};
