#include "app/shell_open.h"

#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>

namespace shellopen {

namespace {

// A path travels as its UTF-8 bytes ended by a line feed; anything longer than this is no path
// we could open and is dropped.
constexpr qsizetype kMaxRequestSize = 64 * 1024;
constexpr char kEnd = '\n';
constexpr int kTimeoutMs = 2000;

// The display this process shows on, made fit for a file name.
QString DisplayName() {
    QString display = qEnvironmentVariable("WAYLAND_DISPLAY");
    if (display.isEmpty()) {
        display = qEnvironmentVariable("DISPLAY");
    }
    for (QChar& c : display) {
        if (!c.isLetterOrNumber()) {
            c = QLatin1Char('_');
        }
    }
    return display;
}

}  // namespace

QString SocketName() {
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty()) {
        return {};
    }
    return QDir(folder).filePath(QStringLiteral("brindle-open-") + DisplayName());
}

bool SendPath(const QString& name, const QString& path) {
    QLocalSocket socket;
    socket.connectToServer(name, QIODevice::WriteOnly);
    if (!socket.waitForConnected(kTimeoutMs)) {
        return false;
    }
    // The bytes wait in the socket until the running instance reads them, even after this
    // process has ended, so there is no answer to wait for.
    socket.write(path.toUtf8() + kEnd);
    const bool sent = socket.waitForBytesWritten(kTimeoutMs) || socket.bytesToWrite() == 0;
    socket.disconnectFromServer();
    return sent;
}

CServer::CServer(QObject* parent) : QObject(parent), m_server(new QLocalServer(this)) {
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    connect(m_server, &QLocalServer::newConnection, this, &CServer::OnNewConnection);
}

CServer::~CServer() = default;

bool CServer::Listen(const QString& name) {
    // A socket whose instance answers stays its own. The check comes first because listening
    // with access options would quietly put a new socket in the place of a live one.
    QLocalSocket probe;
    probe.connectToServer(name);
    if (probe.waitForConnected(kTimeoutMs)) {
        probe.disconnectFromServer();
        return false;
    }
    // Nobody answers: whatever is left of an instance that died goes.
    QLocalServer::removeServer(name);
    return m_server->listen(name);
}

void CServer::OnNewConnection() {
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { OnReadyRead(socket); });
        // Bytes that came with the connection raise no further readyRead.
        if (socket->bytesAvailable() > 0) {
            OnReadyRead(socket);
        }
    }
}

void CServer::OnReadyRead(QLocalSocket* socket) {
    if (!socket->canReadLine()) {
        if (socket->bytesAvailable() > kMaxRequestSize) {
            socket->abort();
        }
        return;
    }
    // One path per connection: whatever follows it is not read.
    socket->disconnect(this);
    const QByteArray line = socket->readLine(kMaxRequestSize + 1);
    socket->disconnectFromServer();
    if (!line.endsWith(kEnd) || line.size() == 1) {
        return;
    }
    emit PathReceived(QString::fromUtf8(line.chopped(1)));
}

}  // namespace shellopen
