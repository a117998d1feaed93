#pragma once
// The main program's local channel: the listening side that receives window messages from a
// second instance, the editor and other local processes, and the sending side they use.
// The socket name comes from LocalChannelName(data root); one message is one line
// `NUMBER WPARAM LPARAM` (core/integration/window_message.h).
//
// Any local process may connect, so a peer is cut off at the first line the codec refuses, at
// an over-long line, or after a bounded number of messages.
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

    QString Name() const { return m_name; }

    // Starts listening. A name left behind by a crashed instance (nobody answers on it) is
    // removed first. False when another instance is listening or the socket cannot be made.
    bool Listen();

    // True when an instance on `dataRoot` accepts connections.
    static bool IsRunning(const QString& dataRoot);
    // Connects to the instance on `dataRoot` and writes one message. False when nobody listens
    // or the write does not complete.
    static bool Send(const QString& dataRoot, const WindowMessage& message);

signals:
    void MessageReceived(int number, qint64 wParam, qint64 lParam);
    // A peer wrote something the codec refused; it has been disconnected.
    void MessageRefused(const QString& why);

private:
    void OnNewConnection();
    void OnReadyRead(QLocalSocket* socket);

    QString m_name;
    QLocalServer m_server;
};

}  // namespace zirvo::gui
