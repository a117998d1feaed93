#include "gui/shell/local_channel.h"

#include <QLocalSocket>
#include <QVariant>

namespace zirvo::gui {

namespace {
constexpr int kConnectWaitMs = 2000;
// A well-behaved peer sends one or two messages per connection.
constexpr int kMaxMessagesPerConnection = 16;
const char* const kCountProperty = "zirvoMessageCount";
}  // namespace

CLocalChannel::CLocalChannel(const QString& dataRoot, QObject* parent)
    : QObject(parent), m_name(QString::fromStdString(LocalChannelName(dataRoot.toStdString()))) {
    connect(&m_server, &QLocalServer::newConnection, this, &CLocalChannel::OnNewConnection);
}

CLocalChannel::~CLocalChannel() {
    m_server.close();
}

bool CLocalChannel::Listen() {
    m_server.setSocketOptions(QLocalServer::UserAccessOption);
    if (m_server.listen(m_name)) {
        return true;
    }
    if (m_server.serverError() != QAbstractSocket::AddressInUseError) {
        return false;
    }
    QLocalSocket probe;
    probe.connectToServer(m_name);
    if (probe.waitForConnected(kConnectWaitMs)) {
        return false;  // a live instance owns the name
    }
    QLocalServer::removeServer(m_name);
    return m_server.listen(m_name);
}

bool CLocalChannel::IsRunning(const QString& dataRoot) {
    QLocalSocket socket;
    socket.connectToServer(QString::fromStdString(LocalChannelName(dataRoot.toStdString())));
    const bool connected = socket.waitForConnected(kConnectWaitMs);
    socket.abort();
    return connected;
}

bool CLocalChannel::Send(const QString& dataRoot, const WindowMessage& message) {
    QLocalSocket socket;
    socket.connectToServer(QString::fromStdString(LocalChannelName(dataRoot.toStdString())));
    if (!socket.waitForConnected(kConnectWaitMs)) {
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

void CLocalChannel::OnNewConnection() {
    while (QLocalSocket* socket = m_server.nextPendingConnection()) {
        socket->setReadBufferSize(static_cast<qint64>(kMaxWindowMessageLine) * 4);
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { OnReadyRead(socket); });
        if (socket->bytesAvailable() > 0) {
            OnReadyRead(socket);
        }
    }
}

void CLocalChannel::OnReadyRead(QLocalSocket* socket) {
    auto refuse = [this, socket](const QString& why) {
        emit MessageRefused(why);
        socket->abort();
        socket->deleteLater();
    };
    while (socket->canReadLine()) {
        const QByteArray line = socket->readLine(kMaxWindowMessageLine + 3);
        std::string why;
        const auto message = DecodeWindowMessage(line.toStdString(), &why);
        if (!message) {
            refuse(QString::fromStdString(why));
            return;
        }
        const int count = socket->property(kCountProperty).toInt() + 1;
        socket->setProperty(kCountProperty, count);
        if (count > kMaxMessagesPerConnection) {
            refuse(QStringLiteral("too many messages on one connection"));
            return;
        }
        emit MessageReceived(message->number, message->wParam, message->lParam);
    }
    // No line end within the longest valid line: rubbish, not a message still arriving.
    if (socket->bytesAvailable() > static_cast<qint64>(kMaxWindowMessageLine) + 2) {
        refuse(QStringLiteral("message line too long"));
    }
}

}  // namespace zirvo::gui
