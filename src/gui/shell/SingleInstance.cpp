#include "SingleInstance.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>

#include <sys/stat.h>
#include <unistd.h>

namespace yx {

namespace {

constexpr int kMaxSocketPath = 100; // sun_path holds 108 bytes

// The runtime folder, when it is ours and closed to others.
QString privateRuntimeDir() {
    const QByteArray dir = qgetenv("XDG_RUNTIME_DIR");
    if (dir.isEmpty())
        return {};
    struct stat st {};
    if (::stat(dir.constData(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::getuid() ||
        (st.st_mode & 077) != 0)
        return {};
    return QString::fromLocal8Bit(dir);
}

QString dataRootKey() {
    const QString home = QString::fromLocal8Bit(qgetenv("YAOXIA_HOME"));
    if (home.isEmpty())
        return {};
    const QFileInfo info(home);
    return info.exists() ? info.canonicalFilePath() : info.absoluteFilePath();
}

} // namespace

SingleInstance::SingleInstance(QObject* parent) : QObject(parent) {}

SingleInstance::~SingleInstance() {
    if (m_server)
        m_server->close(); // removes the socket file
}

QString SingleInstance::serverName() {
    const QString uid = QString::number(::getuid());
    const QString runtime = privateRuntimeDir();
    const QByteArray key = QStringLiteral("uid=%1\nruntime=%2\nhome=%3")
                               .arg(uid, QString::fromLocal8Bit(qgetenv("XDG_RUNTIME_DIR")), dataRootKey())
                               .toUtf8();
    const QString hash =
        QString::fromLatin1(QCryptographicHash::hash(key, QCryptographicHash::Sha256).toHex().left(20));
    const QString file = QStringLiteral("yaoxia-%1-%2.sock").arg(uid, hash);
    if (!runtime.isEmpty()) {
        const QString path = QDir(runtime).filePath(file);
        if (path.toLocal8Bit().size() <= kMaxSocketPath)
            return path;
    }
    return QDir(QDir::tempPath()).filePath(file);
}

bool SingleInstance::notifyRunningInstance(const QString& name, int timeoutMs) {
    QLocalSocket socket;
    socket.connectToServer(name);
    if (!socket.waitForConnected(timeoutMs))
        return false;
    socket.write(activateRequest());
    if (!socket.waitForBytesWritten(timeoutMs))
        return false;
    QByteArray reply;
    while (!reply.contains('\n') && socket.waitForReadyRead(timeoutMs))
        reply += socket.readAll();
    socket.disconnectFromServer();
    return reply.startsWith(activateReply().trimmed());
}

bool SingleInstance::claim(int timeoutMs) {
    const QString name = serverName();
    // Starts are serialised by a lock beside the socket, so two simultaneous starts cannot both
    // decide they are first, and a leftover socket is only removed while nobody else decides.
    QLockFile lock(name + QStringLiteral(".lock"));
    lock.setStaleLockTime(10000);
    const bool locked = lock.tryLock(timeoutMs);

    QLocalSocket probe;
    probe.connectToServer(name);
    if (probe.waitForConnected(qMin(timeoutMs, 1000))) {
        probe.abort();
        // Someone is listening: hand over to it. Even without an answer this process stays out,
        // so that two interactive instances never run side by side.
        notifyRunningInstance(name, timeoutMs);
        return false;
    }

    delete m_server;
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!m_server->listen(name)) {
        // Nobody answered, so the socket file is a leftover of an instance that died.
        QLocalServer::removeServer(name);
        if (!m_server->listen(name)) {
            // Run without the single-instance guard rather than not at all.
            delete m_server;
            m_server = nullptr;
            return true;
        }
    }
    connect(m_server, &QLocalServer::newConnection, this, &SingleInstance::onNewConnection);
    if (locked)
        lock.unlock();
    return true;
}

bool SingleInstance::isListening() const {
    return m_server && m_server->isListening();
}

void SingleInstance::onNewConnection() {
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            if (!socket->canReadLine())
                return;
            const QByteArray line = socket->readLine();
            if (line == activateRequest()) {
                socket->write(activateReply());
                socket->flush();
                emit activationRequested();
            }
            socket->disconnectFromServer();
        });
    }
}

} // namespace yx
