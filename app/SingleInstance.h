#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

class QLocalServer;

// One window per collection: the first start listens on a local socket, a later start hands
// its arguments over and ends. The socket lives in the user's runtime directory, so only the
// same user reaches it, and its name follows the collection's directory, so a start on
// another collection opens a window of its own.
class CSingleInstance : public QObject {
    Q_OBJECT
public:
    explicit CSingleInstance(const QString& name, QObject* parent = nullptr);
    ~CSingleInstance() override;

    // The socket name for the collection in `directory`.
    static QString NameFor(const QString& directory);

    // Hands the arguments to the instance listening on `name`. True only when it confirmed
    // that it received them all; false when none runs or it did not answer in time.
    static bool SendToRunning(const QString& name, const QStringList& arguments,
                              int timeoutMs = 3000);

    // Starts listening; a socket left by an instance that died is taken over. False when
    // another instance listens already or the name cannot be used.
    bool Listen();
    bool IsListening() const;
    const QString& Name() const { return m_strName; }

    // The largest message taken.
    static constexpr qint64 kMaxMessageBytes = 1 << 20;

signals:
    // A later start's arguments, its program name first.
    void argumentsReceived(const QStringList& arguments);

private:
    void OnNewConnection();

    QString m_strName;
    QLocalServer* m_pServer = nullptr;
};
