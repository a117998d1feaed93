#include "gui/shell/local_channel.h"

#include <QLocalSocket>
#include <QTimer>
#include <QVariant>

#include "core/integration/channel_security.h"

namespace zirvo::gui {

namespace {
constexpr int kConnectWaitMs = 2000;
// A well-behaved peer sends one or two messages per connection.
constexpr int kMaxMessagesPerConnection = 16;
const char* const kCountProperty = "zirvoMessageCount";

QString ChannelPath(const QString& dataRoot, QString* error) {
    std::string why;
    const std::string path = LocalChannelPath(dataRoot.toStdString(), &why);
    if (error != nullptr) {
        *error = QString::fromStdString(why);
    }
    return QString::fromStdString(path);
}

}  // namespace

CLocalChannel::CLocalChannel(const QString& dataRoot, QObject* parent) : QObject(parent) {
    m_name = ChannelPath(dataRoot, &m_error);
    connect(&m_server, &QLocalServer::newConnection, this, &CLocalChannel::OnNewConnection);
}

CLocalChannel::~CLocalChannel() {
    m_server.close();
}

void CLocalChannel::SetLimits(int idleTimeoutMs, int maxConnections) {
    m_idleTimeoutMs = idleTimeoutMs;
    m_maxConnections = maxConnections;
}

bool CLocalChannel::Listen() {
    if (m_name.isEmpty()) {
        return false;
    }
    m_server.setSocketOptions(QLocalServer::UserAccessOption);
    QLocalServer::removeServer(m_name);
    if (!m_server.listen(m_name)) {
        m_error = m_server.errorString();
        return false;
    }
    return true;
}

bool CLocalChannel::Send(const QString& dataRoot, const WindowMessage& message) {
    const QString name = ChannelPath(dataRoot, nullptr);
    if (name.isEmpty()) {
        return false;
    }
    QLocalSocket socket;
    socket.connectToServer(name);
    if (!socket.waitForConnected(kConnectWaitMs)) {
        return false;
    }
    // A socket of another user under our name gets nothing of ours.
    if (!PeerIsThisUser(static_cast<int>(socket.socketDescriptor()))) {
        socket.abort();
        return false;
    }
    const std::string line = EncodeWindowMessage(message);
    socket.write(line.data(), static_cast<qint64>(line.size()));
    const bool written = socket.waitForBytesWritten(kConnectWaitMs);
    socket.disconnectFromServer();
    if (socket.state() != QLocalSocket::UnconnectedState) {
        socket.waitForDisconnected(kConnectWaitMs);
    }
    return written;
}

void CLocalChannel::Drop(QLocalSocket* socket, const QString& why) {
    if (!why.isEmpty()) {
        emit MessageRefused(why);
    }
    socket->abort();
    socket->deleteLater();
}

void CLocalChannel::OnNewConnection() {
    while (QLocalSocket* socket = m_server.nextPendingConnection()) {
        if (m_open >= m_maxConnections) {
            Drop(socket, QStringLiteral("too many open connections"));
            continue;
        }
        if (!PeerIsThisUser(static_cast<int>(socket->socketDescriptor()))) {
            Drop(socket, QStringLiteral("a process of another user"));
            continue;
        }
        ++m_open;
        connect(socket, &QObject::destroyed, this, [this] { --m_open; });
        socket->setReadBufferSize(static_cast<qint64>(kMaxWindowMessageLine) * 4);
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        // A peer that says nothing holds a file descriptor for nothing.
        auto* idle = new QTimer(socket);
        idle->setSingleShot(true);
        connect(idle, &QTimer::timeout, this, [this, socket] { Drop(socket, QString()); });
        idle->start(m_idleTimeoutMs);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket, idle] {
            idle->start(m_idleTimeoutMs);
            OnReadyRead(socket);
        });
        if (socket->bytesAvailable() > 0) {
            OnReadyRead(socket);
        }
    }
}

void CLocalChannel::OnReadyRead(QLocalSocket* socket) {
    while (socket->canReadLine()) {
        const QByteArray line = socket->readLine(kMaxWindowMessageLine + 3);
        std::string why;
        const auto message = DecodeWindowMessage(line.toStdString(), &why);
        if (!message) {
            Drop(socket, QString::fromStdString(why));
            return;
        }
        const int count = socket->property(kCountProperty).toInt() + 1;
        socket->setProperty(kCountProperty, count);
        if (count > kMaxMessagesPerConnection) {
            Drop(socket, QStringLiteral("too many messages on one connection"));
            return;
        }
        emit MessageReceived(message->number, message->wParam, message->lParam);
    }
    // No line end within the longest valid line: rubbish, not a message still arriving.
    if (socket->bytesAvailable() > static_cast<qint64>(kMaxWindowMessageLine) + 2) {
        Drop(socket, QStringLiteral("message line too long"));
    }
}

}  // namespace zirvo::gui
