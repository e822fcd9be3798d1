#include "glyphsmith_views/single_instance.hpp"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>

#include "glyphsmith_views/app_info.hpp"

namespace glyphsmith_views {

namespace {

// A hand-over is one line of JSON (an array of paths); the app answers "ok".
constexpr qint64 maximumMessageSize = 1 << 20;
const QByteArray answer = QByteArrayLiteral("ok\n");

}  // namespace

QString SingleInstance::defaultSocketPath() {
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty()) folder = QDir::tempPath();
    return QDir(folder).filePath(applicationId() + QStringLiteral(".socket"));
}

SingleInstance::SingleInstance(QString socketPath, QObject* parent)
    : QObject(parent), socketPath_(std::move(socketPath)) {}

SingleInstance::~SingleInstance() = default;

bool SingleInstance::handOver(const QStringList& paths, int timeoutMilliseconds) {
    QLocalSocket socket;
    socket.connectToServer(socketPath_);
    if (!socket.waitForConnected(timeoutMilliseconds)) return false;
    QByteArray message = QJsonDocument(QJsonArray::fromStringList(paths)).toJson(QJsonDocument::Compact);
    message.append('\n');
    socket.write(message);
    if (!socket.waitForBytesWritten(timeoutMilliseconds)) return false;
    QByteArray reply;
    while (!reply.endsWith('\n')) {
        if (!socket.waitForReadyRead(timeoutMilliseconds)) return false;
        reply += socket.readAll();
    }
    return reply == answer;
}

bool SingleInstance::listen() {
    if (!server_) {
        server_ = new QLocalServer(this);
        server_->setSocketOptions(QLocalServer::UserAccessOption);
        connect(server_, &QLocalServer::newConnection, this, &SingleInstance::accept);
    }
    if (server_->listen(socketPath_)) return true;
    if (server_->serverError() != QAbstractSocket::AddressInUseError) return false;
    // Somebody's socket is there: a live app would have taken the hand-over, so
    // it is what a crashed app left behind.
    QLocalSocket probe;
    probe.connectToServer(socketPath_);
    if (probe.waitForConnected(500)) return false;
    QLocalServer::removeServer(socketPath_);
    return server_->listen(socketPath_);
}

bool SingleInstance::isListening() const {
    return server_ && server_->isListening();
}

void SingleInstance::accept() {
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            if (!socket->canReadLine()) {
                if (socket->bytesAvailable() > maximumMessageSize) socket->abort();
                return;
            }
            const QByteArray line = socket->readLine(maximumMessageSize);
            QStringList paths;
            const QJsonDocument document = QJsonDocument::fromJson(line);
            for (const auto& value : document.array())
                if (value.isString()) paths << value.toString();
            socket->write(answer);
            socket->flush();
            socket->disconnectFromServer();
            emit filesReceived(paths);
        });
    }
}

}  // namespace glyphsmith_views
