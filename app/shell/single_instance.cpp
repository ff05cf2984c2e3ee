#include "app/shell/single_instance.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>

#include <unistd.h>

#include "platform/message_box.h"

SingleInstance::SingleInstance(QString programFolder) : key_(instanceKey(programFolder)) {}

SingleInstance::~SingleInstance() = default;

QString SingleInstance::instanceKey(const QString& programFolder)
{
    const QByteArray hash =
        QCryptographicHash::hash(programFolder.toUtf8(), QCryptographicHash::Sha1).toHex().left(12);
    return QStringLiteral("kwzview-%1-%2").arg(::getuid()).arg(QString::fromLatin1(hash));
}

SingleInstance::Outcome SingleInstance::acquire(const InstanceRequest& request)
{
    lock_ = std::make_unique<QLockFile>(QDir::tempPath() + "/" + key_ + ".lock");
    lock_->setStaleLockTime(0);
    if (lock_->tryLock(0))
        return Outcome::First;
    lock_.reset();

    // Another copy runs: hand it the request, then end without touching anything. One line
    // per request: "open\t<path>", "connect", or "show" when nothing else is asked.
    QByteArray lines;
    if (!request.fileToOpen.isEmpty())
        lines += "open\t" + QFileInfo(request.fileToOpen).absoluteFilePath().toUtf8() + "\n";
    if (request.connect)
        lines += "connect\n";
    const bool asksSomething = !lines.isEmpty();
    if (!asksSomething)
        lines = "show\n";
    QLocalSocket socket;
    socket.connectToServer(key_);
    bool delivered = false;
    if (socket.waitForConnected(3000))
    {
        socket.write(lines);
        delivered = socket.waitForBytesWritten(3000);
        socket.disconnectFromServer();
    }
    if (delivered && asksSomething)
        return Outcome::HandedOver;
    kwz::messageBox(nullptr, "The Application already has an instance running.", "kwzview",
                    kwz::MB_OK);
    return Outcome::Refused;
}

void SingleInstance::listen(std::function<void(const InstanceRequest&)> handler)
{
    server_ = std::make_unique<QLocalServer>();
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server_->listen(key_))
    {
        // A socket left by a copy that crashed; we hold the lock, so it is ours to remove.
        QLocalServer::removeServer(key_);
        server_->listen(key_);
    }
    QLocalServer* server = server_.get();
    QObject::connect(server, &QLocalServer::newConnection, server, [server, handler] {
        while (QLocalSocket* socket = server->nextPendingConnection())
        {
            QObject::connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            QObject::connect(socket, &QLocalSocket::readyRead, socket, [socket, handler] {
                while (socket->canReadLine())
                {
                    const QByteArray line = socket->readLine(4096).trimmed();
                    InstanceRequest request;
                    if (line.startsWith("open\t"))
                        request.fileToOpen = QString::fromUtf8(line.mid(5));
                    else if (line == "connect")
                        request.connect = true;
                    handler(request);
                }
            });
        }
    });
}

void SingleInstance::stopListening()
{
    server_.reset();
}
