// The XML-RPC HTTP server seen from raw sockets: exact reply bytes, framing,
// connection reuse and the bounds that protect it from misbehaving peers.

#include "xmlrpc/xrdocuments.h"
#include "xmlrpc/xrserver.h"

#include <QSignalSpy>
#include <QTcpSocket>
#include <QtTest>

namespace {

struct HttpReply
{
    int status = 0;
    QByteArray reason;
    QList<QPair<QByteArray, QByteArray>> fields;
    QByteArray body;

    QByteArray field(const QByteArray& name) const
    {
        for (const auto& [key, value] : fields)
            if (key.compare(name, Qt::CaseInsensitive) == 0)
                return value;
        return QByteArray();
    }
    bool hasField(const QByteArray& name) const
    {
        for (const auto& field : fields)
            if (field.first.compare(name, Qt::CaseInsensitive) == 0)
                return true;
        return false;
    }
};

// Takes one complete response off the front of buffer, if there is one.
bool takeReply(QByteArray& buffer, HttpReply& reply)
{
    const qsizetype end = buffer.indexOf("\r\n\r\n");
    if (end < 0)
        return false;
    const QList<QByteArray> lines = buffer.left(end).split('\n');
    HttpReply parsed;
    const QByteArray statusLine = lines[0].trimmed();
    const QList<QByteArray> parts = statusLine.split(' ');
    if (parts.size() < 3 || parts[0] != "HTTP/1.1")
        return false;
    parsed.status = parts[1].toInt();
    parsed.reason = statusLine.mid(parts[0].size() + parts[1].size() + 2);
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QByteArray line = lines[i].trimmed();
        const qsizetype colon = line.indexOf(':');
        parsed.fields.append({line.left(colon), line.mid(colon + 1).trimmed()});
    }
    const qsizetype length = parsed.field("Content-Length").toLongLong();
    if (buffer.size() < end + 4 + length)
        return false;
    parsed.body = buffer.mid(end + 4, length);
    buffer.remove(0, end + 4 + length);
    reply = parsed;
    return true;
}

// Runs the event loop until done() holds; unlike QTest::qWaitFor it does not
// sleep between rounds, so bulk transfers through the loop stay quick.
template <typename Predicate>
bool waitUntil(Predicate done, int timeoutMs)
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

// A client that speaks raw bytes to the server.
class Peer
{
public:
    explicit Peer(quint16 port) { socket.connectToHost(QHostAddress::LocalHost, port); }

    void send(const QByteArray& bytes) { socket.write(bytes); }

    bool receive(HttpReply& reply, int timeoutMs = 5000)
    {
        return waitUntil(
            [&] {
                received += socket.readAll();
                return takeReply(received, reply);
            },
            timeoutMs);
    }

    bool waitClosed(int timeoutMs = 5000)
    {
        return waitUntil(
            [&] {
                received += socket.readAll();
                return socket.state() == QAbstractSocket::UnconnectedState;
            },
            timeoutMs);
    }

    QTcpSocket socket;
    QByteArray received;
};

QByteArray post(const QByteArray& body, const QByteArray& extraFields = QByteArray(),
                const QByteArray& version = "HTTP/1.1")
{
    return "POST /RPC2 " + version + "\r\nHost: 127.0.0.1\r\nContent-Type: text/xml\r\nContent-Length: "
           + QByteArray::number(body.size()) + "\r\n" + extraFields + "\r\n" + body;
}

QByteArray callBody(const QString& method, const QVariantList& params = {})
{
    return XRMethodCall(method, params).toWire();
}

// Reads a methodResponse body: the value, or the fault code and text.
struct Outcome
{
    bool ok = false;
    bool isFault = false;
    int faultCode = 0;
    QString faultString;
    QVariant value;
};

Outcome readOutcome(const QByteArray& body)
{
    Outcome outcome;
    XRMethodResponse response;
    if (!xrParseDocument(body, response) || !response.parse())
        return outcome;
    outcome.ok = true;
    outcome.isFault = response.getFault(outcome.faultCode, outcome.faultString);
    outcome.value = response.value();
    return outcome;
}

} // namespace

class TestXRServer : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<XRServer> server;
    QList<int> ids;        // ids of calls seen by the listener
    QStringList methods;   // their method names
    bool answerAtOnce = true;

    quint16 port() const { return server->serverPort(); }

private slots:
    void init()
    {
        server = std::make_unique<XRServer>(0, 5, nullptr, "test", QHostAddress::LocalHost);
        QVERIFY(server->isListening());
        ids.clear();
        methods.clear();
        answerAtOnce = true;
        // Takes every method starting with "echo" and answers with its first parameter.
        connect(server.get(), &XRServer::methodCall, this,
                [this](int id, const QString& method, const QVariantList& params, bool& handled) {
                    ids.append(id);
                    methods.append(method);
                    if (!method.startsWith("echo"))
                        return;
                    handled = true;
                    if (answerAtOnce)
                        server->sendMethodResponse(id, params.value(0));
                });
    }

    void cleanup() { server.reset(); }

    void notPostIsRefusedWithExactReply_data()
    {
        QTest::addColumn<QByteArray>("request");
        QTest::newRow("GET") << QByteArray("GET /RPC2 HTTP/1.1\r\nHost: x\r\n\r\n");
        QTest::newRow("lower-case post") << QByteArray("post /RPC2 HTTP/1.1\r\nContent-Length: 0\r\n\r\n");
        QTest::newRow("unreadable request line") << QByteArray("POST\r\nContent-Length: 0\r\n\r\n");
        QTest::newRow("field without colon") << QByteArray("POST / HTTP/1.1\r\nbroken\r\n\r\n");
    }
    void notPostIsRefusedWithExactReply()
    {
        QFETCH(QByteArray, request);
        Peer peer(port());
        peer.send(request);
        QVERIFY(peer.waitClosed());
        QCOMPARE(peer.received, QByteArray("HTTP/1.1 405 Method Not Allowed\r\n"
                                           "Content-Length: 46\r\n"
                                           "Connection: close\r\n"
                                           "\r\n"
                                           "This is an XML-RPC server.  I only accept POST"));
        QVERIFY(ids.isEmpty());
    }

    void missingContentLengthIsAFaultAndCloses()
    {
        Peer peer(port());
        peer.send("POST /RPC2 HTTP/1.1\r\nTransfer-Encoding: chunked\r\n\r\n5\r\nhello\r\n0\r\n\r\n");
        HttpReply reply;
        QVERIFY(peer.receive(reply));
        QCOMPARE(reply.status, 200);
        QCOMPARE(reply.field("Connection"), QByteArray("close"));
        const Outcome outcome = readOutcome(reply.body);
        QVERIFY(outcome.isFault);
        QCOMPARE(outcome.faultCode, -32600);
        QCOMPARE(outcome.faultString, QString("Invalid XML-RPC headers.  Missing content length"));
        QVERIFY(peer.waitClosed());
        QVERIFY(peer.received.isEmpty());

        // That request used id 0; the next one gets 1.
        Peer next(port());
        next.send(post(callBody("echo", {1})));
        QVERIFY(next.receive(reply));
        QCOMPARE(ids, QList<int>{1});
    }

    void callFaults_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("text");
        QTest::newRow("unknown method") << callBody("x.y") << -32601 << "Method: x.y, not found";
        QTest::newRow("not a methodCall")
            << QByteArray("<methodResponse><params/></methodResponse>") << -32600
            << "Invalid XML-RPC methodCall";
        QTest::newRow("empty param")
            << QByteArray("<methodCall><methodName>echo</methodName><params><param/></params></methodCall>")
            << -32600 << "Invalid XML-RPC methodCall";
        QTest::newRow("not XML") << QByteArray("<html><body>hi</html>") << -32700 << QString();
        QTest::newRow("entity expansion")
            << QByteArray("<?xml version=\"1.0\"?><!DOCTYPE m [<!ENTITY a \"aaaaaaaaaa\">"
                          "<!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\">"
                          "<!ENTITY c \"&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;\">]>"
                          "<methodCall><methodName>echo</methodName><params><param><value>&c;"
                          "</value></param></params></methodCall>")
            << -32700 << QString();
    }
    void callFaults()
    {
        QFETCH(QByteArray, body);
        QFETCH(int, code);
        QFETCH(QString, text);
        Peer peer(port());
        peer.send(post(body));
        HttpReply reply;
        QVERIFY(peer.receive(reply));
        QCOMPARE(reply.status, 200);
        QCOMPARE(reply.field("Content-Type"), QByteArray("text/xml"));
        QVERIFY(!reply.hasField("Connection"));
        const Outcome outcome = readOutcome(reply.body);
        QVERIFY(outcome.isFault);
        QCOMPARE(outcome.faultCode, code);
        if (text.isEmpty())
            QVERIFY(!outcome.faultString.isEmpty());
        else
            QCOMPARE(outcome.faultString, text);
        QCOMPARE(server->pendingRequestCount(), 0);
    }

    void bodyInSeveralSegmentsIsReadWhenComplete()
    {
        const QByteArray request = post(callBody("echo", {QString("segmented")}));
        const qsizetype headerEnd = request.indexOf("\r\n\r\n") + 4;
        Peer peer(port());
        peer.send(request.left(headerEnd - 1));
        QTest::qWait(50);
        peer.send(request.mid(headerEnd - 1, 10));
        QTest::qWait(50);
        QVERIFY(ids.isEmpty());
        QVERIFY(peer.received.isEmpty() && peer.socket.bytesAvailable() == 0);
        peer.send(request.mid(headerEnd + 9));
        HttpReply reply;
        QVERIFY(peer.receive(reply));
        QCOMPARE(readOutcome(reply.body).value, QVariant(QString("segmented")));
    }

    void waitingClientIsToldToContinue()
    {
        const QByteArray body = callBody("echo", {QString("continued")});
        Peer peer(port());
        peer.send("POST /RPC2 HTTP/1.1\r\nExpect: 100-continue\r\nContent-Length: "
                  + QByteArray::number(body.size()) + "\r\n\r\n");
        QVERIFY(waitUntil(
            [&] {
                peer.received += peer.socket.readAll();
                return peer.received.size() >= 25;
            },
            5000));
        QCOMPARE(peer.received, QByteArray("HTTP/1.1 100 Continue\r\n\r\n"));
        peer.received.clear();
        peer.send(body);
        HttpReply reply;
        QVERIFY(peer.receive(reply));
        QCOMPARE(readOutcome(reply.body).value, QVariant(QString("continued")));
    }

    void compressesOnlyLargeBodiesForDeflateOnly_data()
    {
        QTest::addColumn<int>("bodySize");
        QTest::addColumn<QByteArray>("acceptEncoding");
        QTest::addColumn<bool>("compressed");
        QTest::newRow("256, deflate") << 256 << QByteArray("deflate") << false;
        QTest::newRow("257, deflate") << 257 << QByteArray("deflate") << true;
        QTest::newRow("257, gzip and deflate") << 257 << QByteArray("gzip, deflate") << false;
        QTest::newRow("257, none") << 257 << QByteArray() << false;
    }
    void compressesOnlyLargeBodiesForDeflateOnly()
    {
        QFETCH(int, bodySize);
        QFETCH(QByteArray, acceptEncoding);
        QFETCH(bool, compressed);
        const qsizetype base = XRMethodResponse(QVariant(QString("x"))).toWire().size();
        const QString text(bodySize - base + 1, QChar('x'));
        const QByteArray document = XRMethodResponse(QVariant(text)).toWire();
        QCOMPARE(document.size(), bodySize);

        Peer peer(port());
        const QByteArray field = acceptEncoding.isEmpty() ? QByteArray()
                                                          : "Accept-Encoding: " + acceptEncoding + "\r\n";
        peer.send(post(callBody("echo", {text}), field));
        HttpReply reply;
        QVERIFY(peer.receive(reply));
        QCOMPARE(reply.hasField("Content-Encoding"), compressed);
        if (compressed) {
            QCOMPARE(reply.field("Content-Encoding"), QByteArray("deflate"));
            QCOMPARE(qUncompress(reply.body), document);
        } else {
            QCOMPARE(reply.body, document);
        }
        QCOMPARE(reply.field("Content-Length").toLongLong(), reply.body.size());
    }

    void requestsOnOneConnectionGetConsecutiveIds_data()
    {
        QTest::addColumn<bool>("pipelined");
        QTest::newRow("one after the other") << false;
        QTest::newRow("pipelined") << true;
    }
    void requestsOnOneConnectionGetConsecutiveIds()
    {
        QFETCH(bool, pipelined);
        Peer peer(port());
        HttpReply first, second;
        if (pipelined) {
            peer.send(post(callBody("echo", {1})) + post(callBody("echo", {2})));
            QVERIFY(peer.receive(first));
        } else {
            peer.send(post(callBody("echo", {1})));
            QVERIFY(peer.receive(first));
            peer.send(post(callBody("echo", {2}), "Connection: keep-alive\r\n"));
        }
        QVERIFY(peer.receive(second));
        QCOMPARE(readOutcome(first.body).value, QVariant(1));
        QCOMPARE(readOutcome(second.body).value, QVariant(2));
        QCOMPARE(ids, (QList<int>{0, 1}));
        QVERIFY(!second.hasField("Connection"));
        QCOMPARE(peer.socket.state(), QAbstractSocket::ConnectedState);
        QCOMPARE(server->openConnectionCount(), 1);
    }

    void connectionFieldDecidesClosing_data()
    {
        QTest::addColumn<QByteArray>("version");
        QTest::addColumn<QByteArray>("connectionField");
        QTest::addColumn<bool>("closes");
        QTest::newRow("1.0") << QByteArray("HTTP/1.0") << QByteArray() << true;
        QTest::newRow("1.0 keep-alive") << QByteArray("HTTP/1.0") << QByteArray("keep-alive") << false;
        QTest::newRow("1.0 Keep-Alive") << QByteArray("HTTP/1.0") << QByteArray("Keep-Alive") << false;
        QTest::newRow("1.1") << QByteArray("HTTP/1.1") << QByteArray() << false;
        QTest::newRow("1.1 close") << QByteArray("HTTP/1.1") << QByteArray("close") << true;
    }
    void connectionFieldDecidesClosing()
    {
        QFETCH(QByteArray, version);
        QFETCH(QByteArray, connectionField);
        QFETCH(bool, closes);
        Peer peer(port());
        const QByteArray field =
            connectionField.isEmpty() ? QByteArray() : "Connection: " + connectionField + "\r\n";
        peer.send(post(callBody("echo", {7}), field, version));
        HttpReply reply;
        QVERIFY(peer.receive(reply));
        QCOMPARE(readOutcome(reply.body).value, QVariant(7));
        QCOMPARE(reply.field("Connection"), closes ? QByteArray("close") : QByteArray());
        if (closes) {
            QVERIFY(peer.waitClosed());
        } else {
            peer.send(post(callBody("echo", {8}), field, version));
            QVERIFY(peer.receive(reply));
            QCOMPARE(readOutcome(reply.body).value, QVariant(8));
        }
    }

    void onlyTheFirstAnswerToAnIdIsSent()
    {
        answerAtOnce = false;
        Peer peer(port());
        peer.send(post(callBody("echo", {1})));
        QTRY_COMPARE(ids.size(), 1);
        server->sendMethodResponse(ids[0], QString("first"));
        server->sendFault(ids[0], 3, "second");
        server->sendMethodResponse(ids[0], QString("third"));
        HttpReply reply;
        QVERIFY(peer.receive(reply));
        QCOMPARE(readOutcome(reply.body).value, QVariant(QString("first")));

        // The next request on the connection is not confused by the extra answers.
        peer.send(post(callBody("echo", {2})));
        QTRY_COMPARE(ids.size(), 2);
        server->sendMethodResponse(ids[1], QString("next"));
        QVERIFY(peer.receive(reply));
        QCOMPARE(readOutcome(reply.body).value, QVariant(QString("next")));
        QVERIFY(peer.received.isEmpty());
    }

    void aLateAnswerReachesThePeer()
    {
        answerAtOnce = false;
        Peer peer(port());
        peer.send(post(callBody("echo", {1})) + post(callBody("echo", {2})));
        QTRY_COMPARE(ids.size(), 1);
        QTest::qWait(20);
        QCOMPARE(ids.size(), 1); // the second request waits for the first answer
        server->sendMethodResponse(ids[0], QString("later"));
        HttpReply reply;
        QVERIFY(peer.receive(reply));
        QCOMPARE(readOutcome(reply.body).value, QVariant(QString("later")));
        QTRY_COMPARE(ids.size(), 2);
        server->sendMethodResponse(ids[1], QString("after"));
        QVERIFY(peer.receive(reply));
        QCOMPARE(readOutcome(reply.body).value, QVariant(QString("after")));
    }

    void aPeerSendingWhileItsCallWaitsIsHeldBack()
    {
        answerAtOnce = false;
        Peer peer(port());
        peer.send(post(callBody("echo", {1})));
        QTRY_COMPARE(ids.size(), 1);

        // Far more than the system's socket buffers take: the server holds
        // only a bounded part of it, so most stays with the peer.
        constexpr qint64 flood = 64 * 1024 * 1024;
        const QByteArray chunk(1024 * 1024, 'x');
        for (qint64 queued = 0; queued < flood; queued += chunk.size())
            peer.send(chunk);
        qint64 unsent = peer.socket.bytesToWrite();
        int roundsWithoutProgress = 0;
        QVERIFY(waitUntil(
            [&] {
                const qint64 now = peer.socket.bytesToWrite();
                roundsWithoutProgress = now < unsent ? 0 : roundsWithoutProgress + 1;
                unsent = now;
                return roundsWithoutProgress >= 10;
            },
            10000));
        QVERIFY2(unsent > flood / 4, qPrintable(QString::number(unsent)));

        server->sendMethodResponse(ids[0], QString("held"));
        HttpReply reply;
        QVERIFY(peer.receive(reply));
        QCOMPARE(readOutcome(reply.body).value, QVariant(QString("held")));
    }

    void aLargeAnswerArrivesWholeBeforeTheNext_data()
    {
        QTest::addColumn<bool>("closing");
        QTest::newRow("kept alive") << false;
        QTest::newRow("closing") << true;
    }
    void aLargeAnswerArrivesWholeBeforeTheNext()
    {
        QFETCH(bool, closing);
        // Far larger than the system's socket buffers: the answer goes out as
        // the peer reads it, and the request behind it waits for that.
        const QString large(6 * 1024 * 1024, QLatin1Char('a'));
        Peer peer(port());
        peer.send(post(callBody("echo", {large}), closing ? "Connection: close\r\n" : "")
                  + post(callBody("echo", {2})));
        HttpReply reply;
        QVERIFY(peer.receive(reply, 30000));
        QCOMPARE(readOutcome(reply.body).value, QVariant(large));
        if (closing) {
            QVERIFY(peer.waitClosed());
            QVERIFY(peer.received.isEmpty());
            QCOMPARE(ids.size(), 1);
        } else {
            QVERIFY(peer.receive(reply));
            QCOMPARE(readOutcome(reply.body).value, QVariant(2));
        }
    }

    void aVanishedPeerIsReleasedAndItsAnswerDropped_data()
    {
        QTest::addColumn<bool>("graceful");
        QTest::newRow("reset") << false;
        QTest::newRow("closed") << true;
    }
    void aVanishedPeerIsReleasedAndItsAnswerDropped()
    {
        QFETCH(bool, graceful);
        answerAtOnce = false;
        {
            Peer peer(port());
            peer.send(post(callBody("echo", {1})));
            QTRY_COMPARE(server->pendingRequestCount(), 1);
            if (graceful)
                peer.socket.disconnectFromHost();
            else
                peer.socket.abort();
        }
        QTRY_COMPARE(server->openConnectionCount(), 0);
        QCOMPARE(server->pendingRequestCount(), 0);
        server->sendMethodResponse(ids[0], QString("nobody listens"));
        server->sendFault(ids[0], 1, "nobody listens");

        answerAtOnce = true;
        Peer next(port());
        next.send(post(callBody("echo", {2})));
        HttpReply reply;
        QVERIFY(next.receive(reply));
        QCOMPARE(readOutcome(reply.body).value, QVariant(2));
    }

    void badRequestsAreRefusedAndClosed_data()
    {
        QTest::addColumn<QByteArray>("request");
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("reason");
        const QByteArray head = "POST /RPC2 HTTP/1.1\r\nHost: x\r\n";
        QTest::newRow("negative length") << head + "Content-Length: -5\r\n\r\n" << 400 << QByteArray("Bad Request");
        QTest::newRow("letters") << head + "Content-Length: abc\r\n\r\n" << 400 << QByteArray("Bad Request");
        QTest::newRow("two numbers") << head + "Content-Length: 12 34\r\n\r\n" << 400 << QByteArray("Bad Request");
        QTest::newRow("overflow") << head + "Content-Length: 99999999999999999999\r\n\r\n" << 400
                                  << QByteArray("Bad Request");
        QTest::newRow("conflicting lengths") << head + "Content-Length: 3\r\nContent-Length: 4\r\n\r\n"
                                             << 400 << QByteArray("Bad Request");
        QTest::newRow("body too large") << head + "Content-Length: 16777217\r\n\r\n" << 413
                                        << QByteArray("Payload Too Large");
        QByteArray longHeader = head + "X-Padding: ";
        longHeader += QByteArray(XRServer::kMaxHeaderBytes + 1 - longHeader.size(), 'a');
        QTest::newRow("header too large") << longHeader << 431
                                          << QByteArray("Request Header Fields Too Large");
    }
    void badRequestsAreRefusedAndClosed()
    {
        QFETCH(QByteArray, request);
        QFETCH(int, status);
        QFETCH(QByteArray, reason);
        Peer peer(port());
        peer.send(request);
        HttpReply reply;
        QVERIFY(peer.receive(reply));
        QCOMPARE(reply.status, status);
        QCOMPARE(reply.reason, reason);
        QCOMPARE(reply.field("Connection"), QByteArray("close"));
        QVERIFY(!reply.body.isEmpty());
        QVERIFY(peer.waitClosed());
        QVERIFY(ids.isEmpty());
        QTRY_COMPARE(server->openConnectionCount(), 0);
    }

    void largestBodyIsAccepted()
    {
        // A body of exactly the limit is read (and then found not to be XML).
        QByteArray body(XRServer::kMaxBodyBytes, ' ');
        body.replace(0, 5, "<bad>");
        Peer peer(port());
        peer.send(post(body));
        HttpReply reply;
        QVERIFY(peer.receive(reply, 30000));
        QCOMPARE(readOutcome(reply.body).faultCode, -32700);
    }

    void idleConnectionsAreClosed_data()
    {
        QTest::addColumn<QByteArray>("sent");
        QTest::newRow("nothing") << QByteArray();
        QTest::newRow("half a header") << QByteArray("POST /RPC2 HTTP/1.1\r\nContent-Le");
        QTest::newRow("header ended by bare line feeds")
            << QByteArray("POST /RPC2 HTTP/1.1\nContent-Length: 0\n\n\n\n");
        QTest::newRow("half a body") << QByteArray("POST /RPC2 HTTP/1.1\r\nContent-Length: 100\r\n\r\n<meth");
    }
    void idleConnectionsAreClosed()
    {
        QFETCH(QByteArray, sent);
        server->setIdleTimeout(150);
        Peer peer(port());
        peer.send(sent);
        QVERIFY(peer.waitClosed());
        QVERIFY(peer.received.isEmpty());
        QVERIFY(ids.isEmpty());
        QTRY_COMPARE(server->openConnectionCount(), 0);
    }

    void keepAliveConnectionIsClosedWhenIdleButNotWhilePending()
    {
        server->setIdleTimeout(150);
        answerAtOnce = false;
        Peer peer(port());
        peer.send(post(callBody("echo", {1})));
        QTRY_COMPARE(ids.size(), 1);
        QTest::qWait(400); // well past the idle timeout: a pending request is not idle
        QCOMPARE(peer.socket.state(), QAbstractSocket::ConnectedState);
        server->sendMethodResponse(ids[0], 1);
        HttpReply reply;
        QVERIFY(peer.receive(reply));
        QVERIFY(peer.waitClosed());
        QTRY_COMPARE(server->openConnectionCount(), 0);
    }

    void connectionsBeyondTheLimitAreRefused()
    {
        server->setMaxConnections(2);
        Peer first(port()), second(port());
        QTRY_COMPARE(server->openConnectionCount(), 2);
        Peer third(port());
        HttpReply reply;
        QVERIFY(third.receive(reply));
        QCOMPARE(reply.status, 503);
        QVERIFY(third.waitClosed());

        first.socket.abort();
        QTRY_COMPARE(server->openConnectionCount(), 1);
        Peer fourth(port());
        fourth.send(post(callBody("echo", {4})));
        QVERIFY(fourth.receive(reply));
        QCOMPARE(readOutcome(reply.body).value, QVariant(4));
    }

    void destroyingTheServerClosesItsConnections()
    {
        answerAtOnce = false;
        Peer peer(port());
        peer.send(post(callBody("echo", {1})));
        QTRY_COMPARE(server->pendingRequestCount(), 1);
        server.reset();
        QVERIFY(peer.waitClosed());
    }
};

QTEST_GUILESS_MAIN(TestXRServer)
#include "tst_xrserver.moc"
