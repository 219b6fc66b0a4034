// One interactive instance per user session. The first start listens on a per-user local socket;
// a later start connects to it, asks the first to come to the front and ends. The socket lives in
// the user's runtime folder (XDG_RUNTIME_DIR) when there is one, else in the temporary folder with
// owner-only access; its name is a hash of the user id, the runtime folder and YAOXIA_HOME, so
// programs with different data roots do not see each other.
#pragma once

#include <QObject>
#include <QString>

class QLocalServer;

namespace yx {

class SingleInstance : public QObject {
    Q_OBJECT
public:
    explicit SingleInstance(QObject* parent = nullptr);
    ~SingleInstance() override;

    // The socket path for the current user and environment.
    static QString serverName();

    // True when this process is the interactive instance (it now listens for later starts).
    // False when another instance was found and told to come to the front: this process ends.
    bool claim(int timeoutMs = 3000);

    bool isListening() const;

    // The request a later start sends, and the answer of the running instance.
    static QByteArray activateRequest() { return QByteArrayLiteral("activate\n"); }
    static QByteArray activateReply() { return QByteArrayLiteral("ok\n"); }

    // Sends the activation request to a running instance. True when it answered.
    static bool notifyRunningInstance(const QString& name, int timeoutMs);

signals:
    // A later start asked this instance to come to the front.
    void activationRequested();

private:
    void onNewConnection();

    QLocalServer* m_server = nullptr;
};

} // namespace yx
