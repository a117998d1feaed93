#pragma once
// The main program's local channel: the listening side that receives window messages from a
// second instance, the editor and other local processes, and the sending side they use.
// The socket is LocalChannelPath(data root) (core/integration/channel_security.h): in
// $XDG_RUNTIME_DIR or a 0700 folder of the data root, never a name in /tmp that another user
// can take first. One message is one line `NUMBER WPARAM LPARAM`
// (core/integration/window_message.h).
//
// A peer is trusted only when SO_PEERCRED says it runs as this user, on both sides: the server
// drops other users' connections, a sender does not write to a server of another user. A peer is
// also cut off at the first line the codec refuses, at an over-long line, after a bounded number
// of messages, when it stays idle, and when too many connections are open already.
//
// NOTE: the channel does not decide which process owns the data root; the root's lock file does
// (app_startup.cpp). The channel only carries messages to the owner.
//
// Threading: window thread only.

#include <QLocalServer>
#include <QObject>
#include <QString>

#include "core/integration/window_message.h"

class QLocalSocket;

namespace zirvo::gui {

class CLocalChannel : public QObject {
    Q_OBJECT

public:
    explicit CLocalChannel(const QString& dataRoot, QObject* parent = nullptr);
    ~CLocalChannel() override;

    // The socket path; empty when no private folder can hold it (see Error()).
    QString Name() const { return m_name; }
    QString Error() const { return m_error; }

    // Starts listening. Whatever lies at the name is removed first: only the owner of the data
    // root's lock listens, so a socket there is left over by a crash or planted by somebody.
    bool Listen();

    // How long a connection may stay silent, and how many may be open at once.
    void SetLimits(int idleTimeoutMs, int maxConnections);
    int OpenConnections() const { return m_open; }

    // Connects to the instance on `dataRoot` (only when it runs as this user) and writes one
    // message. False when nobody trusted listens or the write does not complete.
    static bool Send(const QString& dataRoot, const WindowMessage& message);

signals:
    void MessageReceived(int number, qint64 wParam, qint64 lParam);
    // A peer wrote something the codec refused, or may not talk to us; it has been disconnected.
    void MessageRefused(const QString& why);

private:
    void OnNewConnection();
    void OnReadyRead(QLocalSocket* socket);
    void Drop(QLocalSocket* socket, const QString& why);

    QString m_name;
    QString m_error;
    QLocalServer m_server;
    int m_idleTimeoutMs = 10000;
    int m_maxConnections = 32;
    int m_open = 0;
};

}  // namespace zirvo::gui
