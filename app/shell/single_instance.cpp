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

bool SingleInstance::acquire(const QString& fileToOpen)
{
    lock_ = std::make_unique<QLockFile>(QDir::tempPath() + "/" + key_ + ".lock");
    lock_->setStaleLockTime(0);
    if (lock_->tryLock(0))
        return true;
    lock_.reset();

    // Another copy runs: hand it the request, then end without touching anything.
    QLocalSocket socket;
    socket.connectToServer(key_);
    bool delivered = false;
    if (socket.waitForConnected(3000))
    {
        const QByteArray request =
            fileToOpen.isEmpty()
                ? QByteArray("show\n")
                : "open\t" + QFileInfo(fileToOpen).absoluteFilePath().toUtf8() + "\n";
        socket.write(request);
        delivered = socket.waitForBytesWritten(3000);
        socket.disconnectFromServer();
    }
    if (!delivered || fileToOpen.isEmpty())
        kwz::messageBox(nullptr, "The Application already has an instance running.", "kwzview",
                        kwz::MB_OK);
    return false;
}

void SingleInstance::listen(std::function<void(const QString&)> handler)
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
                    const QByteArray request = socket->readLine(4096).trimmed();
                    if (request.startsWith("open\t"))
                        handler(QString::fromUtf8(request.mid(5)));
                    else
                        handler(QString());
                }
            });
        }
    });
}

void SingleInstance::stopListening()
{
    server_.reset();
}
