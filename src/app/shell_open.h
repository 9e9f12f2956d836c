// Open requests from the desktop. The desktop entry starts Brindle with the shell-open switch
// and a file; when an instance already runs for this user on this display, the new process
// hands the file to it over a local socket and ends, and the running instance opens it as if
// chosen with Open. Otherwise the new process starts as usual and listens itself.
#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

class QLocalServer;
class QLocalSocket;

namespace shellopen {

// The command-line switch of the desktop entry.
inline constexpr char kSwitch[] = "shell-open";

// The socket of this user's instance on this display. It lives in the user's runtime folder,
// which nobody else may enter; without one there is none (empty), and every start stands alone.
[[nodiscard]] QString SocketName();

// Hands path to the instance listening on name. False when none answers (none runs, or its
// socket is left over from one that died).
bool SendPath(const QString& name, const QString& path);

// The running instance's end: every path handed over arrives as one PathReceived.
class CServer : public QObject {
    Q_OBJECT
public:
    explicit CServer(QObject* parent = nullptr);
    ~CServer() override;

    // Listens on name. A socket left over from an instance that died is replaced; a live one
    // is left alone and the result is false.
    bool Listen(const QString& name);

signals:
    void PathReceived(const QString& path);

private:
    void OnNewConnection();
    void OnReadyRead(QLocalSocket* socket);

    QLocalServer* m_server;
};

}  // namespace shellopen
