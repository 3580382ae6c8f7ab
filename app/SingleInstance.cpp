#include "app/SingleInstance.h"

#include <QCryptographicHash>
#include <QDataStream>
#include <QDir>
#include <QElapsedTimer>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QTimer>

namespace {

// How long a connection may take to deliver its message.
constexpr int kReceiveTimeoutMs = 5000;
constexpr char kAcknowledge = '\x06';

} // namespace

CSingleInstance::CSingleInstance(const QString& name, QObject* parent)
    : QObject(parent), m_strName(name) {}

CSingleInstance::~CSingleInstance() {
    if (m_pServer)
        m_pServer->close();
}

QString CSingleInstance::NameFor(const QString& directory) {
    const QString canonical = QDir(directory).canonicalPath();
    const QByteArray hash =
        QCryptographicHash::hash((canonical.isEmpty() ? directory : canonical).toUtf8(),
                                 QCryptographicHash::Sha256)
            .toHex()
            .left(16);
    const QString base = QStringLiteral("tolvarin-") + QString::fromLatin1(hash);
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    // Without a runtime directory Qt's own place for sockets is used.
    return runtime.isEmpty() ? base : runtime + QLatin1Char('/') + base;
}

bool CSingleInstance::SendToRunning(const QString& name, const QStringList& arguments,
                                    int timeoutMs) {
    QLocalSocket socket;
    socket.connectToServer(name);
    if (!socket.waitForConnected(timeoutMs))
        return false;
    // The arguments in UTF-8, each ended by a NUL byte, after the length of them all.
    QByteArray payload;
    for (const QString& argument : arguments)
        payload += argument.toUtf8() + '\0';
    QByteArray message;
    {
        QDataStream stream(&message, QIODevice::WriteOnly);
        stream.setVersion(QDataStream::Qt_6_0);
        stream << static_cast<quint32>(payload.size());
    }
    message += payload;
    if (message.size() > kMaxMessageBytes)
        return false;
    socket.write(message);
    QElapsedTimer timer;
    timer.start();
    while (socket.bytesToWrite() > 0) {
        if (!socket.waitForBytesWritten(timeoutMs - static_cast<int>(timer.elapsed())) ||
            timer.elapsed() >= timeoutMs)
            return false;
    }
    // Done only when the running instance says it has the whole message.
    while (socket.bytesAvailable() < 1) {
        const int left = timeoutMs - static_cast<int>(timer.elapsed());
        if (left <= 0 || !socket.waitForReadyRead(left))
            return false;
    }
    char answer = 0;
    return socket.getChar(&answer) && answer == kAcknowledge;
}

bool CSingleInstance::Listen() {
    if (m_pServer && m_pServer->isListening())
        return true;
    // Another instance answers on the name: it stays the one. (Listening would silently put
    // a new socket in the place of its socket.)
    {
        QLocalSocket probe;
        probe.connectToServer(m_strName);
        if (probe.waitForConnected(500)) {
            probe.abort();
            return false;
        }
    }
    delete m_pServer;
    m_pServer = new QLocalServer(this);
    m_pServer->setSocketOptions(QLocalServer::UserAccessOption);
    if (!m_pServer->listen(m_strName)) {
        // A socket file without a listener is what a killed instance leaves.
        QLocalServer::removeServer(m_strName);
        if (!m_pServer->listen(m_strName))
            return false;
    }
    connect(m_pServer, &QLocalServer::newConnection, this, &CSingleInstance::OnNewConnection);
    return true;
}

bool CSingleInstance::IsListening() const {
    return m_pServer && m_pServer->isListening();
}

void CSingleInstance::OnNewConnection() {
    while (QLocalSocket* socket = m_pServer->nextPendingConnection()) {
        socket->setReadBufferSize(kMaxMessageBytes + 8);
        // A client that never finishes its message is dropped.
        QTimer::singleShot(kReceiveTimeoutMs, socket, [socket] { socket->abort(); });
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            if (socket->bytesAvailable() < 4)
                return;
            quint32 size = 0;
            {
                QDataStream header(socket->peek(4));
                header.setVersion(QDataStream::Qt_6_0);
                header >> size;
            }
            if (size > kMaxMessageBytes) {
                socket->abort();
                return;
            }
            if (socket->bytesAvailable() < 4 + static_cast<qint64>(size))
                return;
            socket->read(4);
            const QByteArray payload = socket->read(size);
            QStringList arguments;
            qsizetype start = 0;
            while (start < payload.size()) {
                const qsizetype end = payload.indexOf('\0', start);
                if (end < 0)
                    break;
                arguments.push_back(QString::fromUtf8(payload.mid(start, end - start)));
                start = end + 1;
            }
            if (start != payload.size() || arguments.isEmpty()) {
                socket->abort();
                return;
            }
            socket->putChar(kAcknowledge);
            socket->flush();
            socket->disconnectFromServer();
            emit argumentsReceived(arguments);
        });
    }
}
