#pragma once

#include <QObject>
#include <QPainter>
#include <QPointer>
#include <QProgressDialog>

#include <memory>
#include <string>

class CPrintDocument;
class CPrintJob;
class QPrinter;

class QWidget;

// One printing of a law page, the whole law however long: the document is made on a worker
// thread (CPrintJob), then painted onto the printer a few pages at a time from the event loop,
// so the window stays live; a progress dialog tells how far it is and can cancel it. A preview
// opens once the document is made. The run deletes itself when it ends.
class CPrintRun : public QObject {
    Q_OBJECT
public:
    enum Mode { Print, Preview };

    // `printer` must outlive the run unless the run owns it (`owned`). A run into a PDF file
    // removes the file when cancelled.
    CPrintRun(QWidget* owner, std::string bodyHtml, const QString& title, QPrinter* printer,
              Mode mode, std::unique_ptr<QPrinter> owned = {});
    ~CPrintRun() override;

    void Start();
    // As the progress dialog's cancel button.
    void Cancel();
    QProgressDialog* GetProgressDialog() const { return m_pProgress.data(); }

signals:
    // `ok` is false when the run was cancelled or the printer could not be opened.
    void finished(bool ok);

private:
    void OnReady(CPrintDocument* doc);
    void PaintSome();
    void Finish(bool ok);

    QPointer<QWidget> m_pOwner;
    std::string m_strBodyHtml;
    QString m_strTitle;
    QPrinter* m_pPrinter;
    Mode m_mode;
    std::unique_ptr<QPrinter> m_pOwnedPrinter;
    CPrintJob* m_pJob = nullptr;
    QPointer<QProgressDialog> m_pProgress;
    std::unique_ptr<CPrintDocument> m_pDoc;
    QPainter m_painter;
    int m_nPage = 0;
    int m_nLast = 0;
    int m_nFirst = 0;
    bool m_bCancel = false;
    bool m_bDone = false;
};
