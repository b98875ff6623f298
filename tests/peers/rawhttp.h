#pragma once

// HTTP spoken as raw bytes, for the XML-RPC client and server tests: messages
// cut off a byte stream by their Content-Length, a client socket, and a server
// that answers every request with fixed bytes.

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
    QByteArray startLine; // request or status line
    QList<QPair<QByteArray, QByteArray>> fields;
    QByteArray body;

    QByteArray field(const QByteArray& name) const
    {
        for (const auto& [key, value] : fields)
            if (key.compare(name, Qt::CaseInsensitive) == 0)
                return value;
        return QByteArray();
    }
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
        parsed.fields.append({lines[i].left(colon).trimmed(), lines[i].mid(colon + 1).trimmed()});
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
    // Connects from the address from when given (another loopback address
    // stands for another peer), else from the system's choice.
    explicit RawClient(quint16 port, const QHostAddress& from = QHostAddress())
    {
        if (!from.isNull())
            socket.bind(from);
        socket.connectToHost(QHostAddress::LocalHost, port);
    }

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

// Answers each request with fixed bytes. The first `ignored` requests get no
// answer at all; with `hold` set, requests wait until answerHeld().
class ScriptedServer : public QTcpServer
{
public:
    explicit ScriptedServer(const QByteArray& reply = QByteArray()) : reply(reply)
    {
        listen(QHostAddress::LocalHost);
        connect(this, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* socket = nextPendingConnection())
                connect(socket, &QTcpSocket::readyRead, this, [this, socket] { readFrom(socket); });
        });
    }

    QUrl url(const QString& path = "/RPC2") const
    {
        return QUrl(QString("http://127.0.0.1:%1%2").arg(serverPort()).arg(path));
    }
    void answerHeld()
    {
        for (QTcpSocket* socket : std::exchange(held, {}))
            answer(socket);
    }

    QByteArray reply;
    bool closeAfterReply = false;
    bool hold = false;
    int ignored = 0;
    QList<HttpMessage> requests;

private:
    void readFrom(QTcpSocket* socket)
    {
        HttpMessage request;
        if (!takeMessage(buffers[socket] += socket->readAll(), request))
            return;
        requests.append(request);
        if (requests.size() <= ignored)
            return;
        if (hold)
            held.append(socket);
        else
            answer(socket);
    }
    void answer(QTcpSocket* socket)
    {
        socket->write(reply);
        if (closeAfterReply)
            socket->disconnectFromHost();
    }

    QHash<QTcpSocket*, QByteArray> buffers;
    QList<QTcpSocket*> held;
};
