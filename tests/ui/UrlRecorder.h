#pragma once
// Stands in for the desktop's default handler: every address the program hands to
// QDesktopServices::openUrl is recorded instead of opened.

#include <QDesktopServices>
#include <QList>
#include <QObject>
#include <QUrl>

class CUrlRecorder : public QObject {
    Q_OBJECT
public:
    CUrlRecorder() {
        for (const char* scheme : kSchemes)
            QDesktopServices::setUrlHandler(QString::fromLatin1(scheme), this, "Open");
    }
    ~CUrlRecorder() override {
        for (const char* scheme : kSchemes)
            QDesktopServices::unsetUrlHandler(QString::fromLatin1(scheme));
    }
    CUrlRecorder(const CUrlRecorder&) = delete;
    CUrlRecorder& operator=(const CUrlRecorder&) = delete;

    QList<QUrl> m_opened;

public slots:
    void Open(const QUrl& url) { m_opened.append(url); }

private:
    static constexpr const char* kSchemes[] = {"file", "http", "https", "mailto"};
};
