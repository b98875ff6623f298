#pragma once

// HTTP spoken as raw bytes: messages cut off a byte stream by their Content-Length, a client socket,
// and a server that answers every request with fixed bytes.

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QHash>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <QUrl>

// A loopback port that was free a moment ago.
inline int freePort()
{
    QTcpServer probe;
    return probe.listen(QHostAddress::LocalHost, 0) ? probe.serverPort() : 0;
}

struct HttpMessage
{
    QByteArray startLine;                    // request or status line
    QHash<QByteArray, QByteArray> fields;    // by lower-case name
    QByteArray body;

    QByteArray field(const QByteArray& name) const { return fields.value(name.toLower()); }
};

// Takes one complete message off the front of buffer, if there is one.
inline bool takeMessage(QByteArray& buffer, HttpMessage& message)
{
    const qsizetype end = buffer.indexOf("\r\n\r\n");
    if (end < 0)
        return false;
    HttpMessage parsed;
    const QList<QByteArray> lines = buffer.left(end).split('\n');
    parsed.startLine = lines[0].trimmed();
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const qsizetype colon = lines[i].indexOf(':');
        parsed.fields.insert(lines[i].left(colon).trimmed().toLower(), lines[i].mid(colon + 1).trimmed());
    }
    const qsizetype length = parsed.field("Content-Length").toLongLong();
    if (buffer.size() < end + 4 + length)
        return false;
    parsed.body = buffer.mid(end + 4, length);
    buffer.remove(0, end + 4 + length);
    message = parsed;
    return true;
}

inline QByteArray httpReply(const QByteArray& body, const QByteArray& status = "200 OK",
                            const QByteArray& extraFields = QByteArray())
{
    return "HTTP/1.1 " + status + "\r\nContent-Type: text/xml\r\n" + extraFields
           + "Content-Length: " + QByteArray::number(body.size()) + "\r\n\r\n" + body;
}

// Runs the event loop until done() holds; unlike QTest::qWaitFor it does not
// sleep between rounds, so bulk transfers through the loop stay quick.
template <typename Predicate>
bool waitUntil(Predicate done, int timeoutMs = 5000)
{
    const QDeadlineTimer deadline(timeoutMs);
    QTimer wakeUp;
    wakeUp.start(20);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return true;
}

class RawClient
{
public:
    explicit RawClient(quint16 port) { socket.connectToHost(QHostAddress::LocalHost, port); }

    void send(const QByteArray& bytes) { socket.write(bytes); }
    bool receive(HttpMessage& message, int timeoutMs = 5000)
    {
        return waitUntil([&] { return takeMessage(received += socket.readAll(), message); }, timeoutMs);
    }
    bool waitClosed()
    {
        return waitUntil([&] {
            received += socket.readAll();
            return socket.state() == QAbstractSocket::UnconnectedState;
        });
    }

    QTcpSocket socket;
    QByteArray received;
};

// Answers each request with fixed bytes; the first `ignored` requests get no answer at all.
class ScriptedServer : public QTcpServer
{
public:
    explicit ScriptedServer(const QByteArray& reply = QByteArray()) : reply(reply)
    {
        listen(QHostAddress::LocalHost);
        connect(this, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* socket = nextPendingConnection())
                connect(socket, &QTcpSocket::readyRead, this, [this, socket] {
                    HttpMessage request;
                    if (!takeMessage(buffers[socket] += socket->readAll(), request))
                        return;
                    requests.append(request);
                    if (requests.size() <= ignored)
                        return;
                    socket->write(this->reply);
                    if (closeAfterReply)
                        socket->disconnectFromHost();
                });
        });
    }

    QUrl url() const { return QUrl(QString("http://127.0.0.1:%1/RPC2").arg(serverPort())); }

    QByteArray reply;
    bool closeAfterReply = false;
    int ignored = 0;
    QList<HttpMessage> requests;

private:
    QHash<QTcpSocket*, QByteArray> buffers;
};
