// The XML-RPC HTTP server seen from raw sockets: exact reply bytes, framing,
// connection reuse and the bounds that protect it from misbehaving peers.

#include "xmlrpc/xrdocuments.h"
#include "xmlrpc/xrserver.h"

#include "../peers/rawhttp.h"

#include <QtTest>

namespace {

QByteArray post(const QByteArray& body, const QByteArray& extraFields = QByteArray(),
                const QByteArray& version = "HTTP/1.1")
{
    return "POST /RPC2 " + version + "\r\nHost: 127.0.0.1\r\nContent-Type: text/xml\r\nContent-Length: "
           + QByteArray::number(body.size()) + "\r\n" + extraFields + "\r\n" + body;
}

// A request calling "echo" with one parameter.
QByteArray echo(const QVariant& param, const QByteArray& extraFields = QByteArray(),
                const QByteArray& version = "HTTP/1.1")
{
    return post(XRMethodCall("echo", {param}).toWire(), extraFields, version);
}

XRMethodResponse responseOf(const HttpMessage& reply)
{
    XRMethodResponse response;
    if (!xrParseDocument(reply.body, response) || !response.parse())
        return XRMethodResponse(QVariant("not a methodResponse"));
    return response;
}

// The fault of an answer as {code, text}; empty when it is none.
QVariantList faultOf(const HttpMessage& reply)
{
    int code = 0;
    QString text;
    return responseOf(reply).getFault(code, text) ? QVariantList{code, text} : QVariantList();
}

// The value of the next answer on peer; invalid when none arrives.
QVariant nextValue(RawClient& peer)
{
    HttpMessage reply;
    return peer.receive(reply) ? responseOf(reply).value() : QVariant();
}

} // namespace

class TestXRServer : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<XRServer> server;
    QList<int> ids;          // ids of calls seen by the listener
    bool answerAtOnce = true;

    quint16 port() const { return server->serverPort(); }

private slots:
    void init()
    {
        server = std::make_unique<XRServer>(0, 5, nullptr, "test", QHostAddress::LocalHost);
        QVERIFY(server->isListening());
        ids.clear();
        answerAtOnce = true;
        // Takes every method starting with "echo" and answers with its first parameter.
        connect(server.get(), &XRServer::methodCall, this,
                [this](int id, const QString& method, const QVariantList& params, bool& handled) {
                    ids.append(id);
                    handled = method.startsWith("echo");
                    if (handled && answerAtOnce)
                        server->sendMethodResponse(id, params.value(0));
                });
    }
    void cleanup() { server.reset(); }

    void callFaults_data()
    {
        QTest::addColumn<QByteArray>("request");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("text"); // empty: the parser's own words
        QTest::addColumn<bool>("closes");
        QTest::newRow("unknown method") << post(XRMethodCall("x.y", {}).toWire()) << -32601 << "Method: x.y, not found"
                                        << false;
        QTest::newRow("not a methodCall") << post("<methodResponse><params/></methodResponse>") << -32600
                                          << "Invalid XML-RPC methodCall" << false;
        QTest::newRow("empty param")
            << post("<methodCall><methodName>echo</methodName><params><param/></params></methodCall>") << -32600
            << "Invalid XML-RPC methodCall" << false;
        QTest::newRow("not XML") << post("<html><body>hi</html>") << -32700 << QString() << false;
        QTest::newRow("entity expansion")
            << post("<?xml version=\"1.0\"?><!DOCTYPE m [<!ENTITY a \"aaaaaaaaaa\">"
                    "<!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\"><!ENTITY c \"&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;\">]>"
                    "<methodCall><methodName>echo</methodName><params><param><value>&c;</value></param></params>"
                    "</methodCall>")
            << -32700 << QString() << false;
        QTest::newRow("no content length")
            << QByteArray("POST /RPC2 HTTP/1.1\r\nTransfer-Encoding: chunked\r\n\r\n5\r\nhello\r\n0\r\n\r\n") << -32600
            << "Invalid XML-RPC headers.  Missing content length" << true;
    }
    void callFaults()
    {
        QFETCH(QByteArray, request);
        QFETCH(int, code);
        QFETCH(QString, text);
        QFETCH(bool, closes);
        RawClient peer(port());
        peer.send(request);
        HttpMessage reply;
        QVERIFY(peer.receive(reply));
        QCOMPARE(reply.startLine, QByteArray("HTTP/1.1 200 OK"));
        QCOMPARE(reply.field("Content-Type"), QByteArray("text/xml"));
        QCOMPARE(reply.field("Connection"), closes ? QByteArray("close") : QByteArray());
        const QVariantList fault = faultOf(reply);
        QCOMPARE(fault.value(0), QVariant(code));
        QVERIFY2(text.isEmpty() ? !fault.value(1).toString().isEmpty() : fault.value(1) == text,
                 qPrintable(fault.value(1).toString()));
        QCOMPARE(server->pendingRequestCount(), 0);
        if (closes) {
            QVERIFY(peer.waitClosed());
            QVERIFY(peer.received.isEmpty());
        }
    }

    void bodyInSeveralSegmentsIsReadWhenComplete()
    {
        const QByteArray request = echo(QString("segmented"));
        const qsizetype headerEnd = request.indexOf("\r\n\r\n") + 4;
        RawClient peer(port());
        peer.send(request.left(headerEnd - 1));
        QTest::qWait(50);
        peer.send(request.mid(headerEnd - 1, 10));
        QTest::qWait(50);
        QVERIFY(ids.isEmpty());
        QVERIFY(peer.received.isEmpty() && peer.socket.bytesAvailable() == 0);
        peer.send(request.mid(headerEnd + 9));
        QCOMPARE(nextValue(peer), QVariant("segmented"));
    }

    void waitingClientIsToldToContinue()
    {
        const QByteArray request = echo(QString("continued"), "Expect: 100-continue\r\n");
        const qsizetype headerEnd = request.indexOf("\r\n\r\n") + 4;
        RawClient peer(port());
        peer.send(request.left(headerEnd));
        QVERIFY(waitUntil([&] { return (peer.received += peer.socket.readAll()).size() >= 25; }));
        QCOMPARE(peer.received, QByteArray("HTTP/1.1 100 Continue\r\n\r\n"));
        peer.received.clear();
        peer.send(request.mid(headerEnd));
        QCOMPARE(nextValue(peer), QVariant("continued"));
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

        RawClient peer(port());
        peer.send(echo(text, acceptEncoding.isEmpty() ? QByteArray() : "Accept-Encoding: " + acceptEncoding + "\r\n"));
        HttpMessage reply;
        QVERIFY(peer.receive(reply));
        QCOMPARE(reply.field("Content-Encoding"), compressed ? QByteArray("deflate") : QByteArray());
        QCOMPARE(compressed ? qUncompress(reply.body) : reply.body, document);
        QCOMPARE(reply.field("Content-Length").toLongLong(), reply.body.size());
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
        const QByteArray field = connectionField.isEmpty() ? QByteArray() : "Connection: " + connectionField + "\r\n";
        RawClient peer(port());
        peer.send(echo(7, field, version));
        HttpMessage reply;
        QVERIFY(peer.receive(reply));
        QCOMPARE(responseOf(reply).value(), QVariant(7));
        QCOMPARE(reply.field("Connection"), closes ? QByteArray("close") : QByteArray());
        if (closes) {
            QVERIFY(peer.waitClosed());
        } else {
            peer.send(echo(8, field, version));
            QCOMPARE(nextValue(peer), QVariant(8));
            QCOMPARE(server->openConnectionCount(), 1);
        }
    }

    void answersGoOutOnceAndInRequestOrder()
    {
        answerAtOnce = false;
        RawClient peer(port());
        peer.send(echo(1) + echo(2));
        QTRY_COMPARE(ids.size(), 1);
        QTest::qWait(20);
        QCOMPARE(ids.size(), 1); // the second request waits for the first answer
        server->sendMethodResponse(ids[0], QString("first"));
        server->sendFault(ids[0], 3, "second");
        server->sendMethodResponse(ids[0], QString("third"));
        QCOMPARE(nextValue(peer), QVariant("first"));

        // The next request on the connection is not confused by the extra answers.
        QTRY_COMPARE(ids.size(), 2);
        server->sendMethodResponse(ids[1], QString("next"));
        QCOMPARE(nextValue(peer), QVariant("next"));
        QVERIFY(peer.received.isEmpty());
    }

    void aPeerSendingWhileItsCallWaitsIsHeldBack()
    {
        answerAtOnce = false;
        RawClient peer(port());
        peer.send(echo(1));
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
        QCOMPARE(nextValue(peer), QVariant(QString("held")));
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
        RawClient peer(port());
        peer.send(echo(large, closing ? "Connection: close\r\n" : "") + echo(2));
        HttpMessage reply;
        QVERIFY(peer.receive(reply, 30000));
        QCOMPARE(responseOf(reply).value(), QVariant(large));
        if (closing) {
            QVERIFY(peer.waitClosed());
            QVERIFY(peer.received.isEmpty());
            QCOMPARE(ids.size(), 1);
        } else {
            QCOMPARE(nextValue(peer), QVariant(2));
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
            RawClient peer(port());
            peer.send(echo(1));
            QTRY_COMPARE(server->pendingRequestCount(), 1);
            graceful ? peer.socket.disconnectFromHost() : peer.socket.abort();
        }
        QTRY_COMPARE(server->openConnectionCount(), 0);
        QCOMPARE(server->pendingRequestCount(), 0);
        server->sendMethodResponse(ids[0], QString("nobody listens"));
        server->sendFault(ids[0], 1, "nobody listens");

        answerAtOnce = true;
        RawClient next(port());
        next.send(echo(2));
        QCOMPARE(nextValue(next), QVariant(2));
    }

    void badRequestsAreRefusedAndClosed_data()
    {
        QTest::addColumn<QByteArray>("request");
        QTest::addColumn<QByteArray>("reply"); // how the answer starts
        const QByteArray notPost = "HTTP/1.1 405 Method Not Allowed\r\nContent-Length: 46\r\nConnection: close\r\n\r\n"
                                   "This is an XML-RPC server.  I only accept POST";
        QTest::newRow("GET") << QByteArray("GET /RPC2 HTTP/1.1\r\nHost: x\r\n\r\n") << notPost;
        QTest::newRow("lower-case post") << QByteArray("post /RPC2 HTTP/1.1\r\nContent-Length: 0\r\n\r\n") << notPost;
        QTest::newRow("unreadable request line") << QByteArray("POST\r\nContent-Length: 0\r\n\r\n") << notPost;
        QTest::newRow("field without colon") << QByteArray("POST / HTTP/1.1\r\nbroken\r\n\r\n") << notPost;
        const QByteArray head = "POST /RPC2 HTTP/1.1\r\nHost: x\r\n";
        const QByteArray badRequest = "HTTP/1.1 400 Bad Request\r\n";
        QTest::newRow("negative length") << head + "Content-Length: -5\r\n\r\n" << badRequest;
        QTest::newRow("letters") << head + "Content-Length: abc\r\n\r\n" << badRequest;
        QTest::newRow("two numbers") << head + "Content-Length: 12 34\r\n\r\n" << badRequest;
        QTest::newRow("overflow") << head + "Content-Length: 99999999999999999999\r\n\r\n" << badRequest;
        QTest::newRow("conflicting lengths") << head + "Content-Length: 3\r\nContent-Length: 4\r\n\r\n" << badRequest;
        QTest::newRow("body too large") << head + "Content-Length: 16777217\r\n\r\n"
                                        << QByteArray("HTTP/1.1 413 Payload Too Large\r\n");
        const QByteArray padding = head + "X-Padding: ";
        QTest::newRow("header too large") << padding + QByteArray(XRServer::kMaxHeaderBytes + 1 - padding.size(), 'a')
                                          << QByteArray("HTTP/1.1 431 Request Header Fields Too Large\r\n");
    }
    void badRequestsAreRefusedAndClosed()
    {
        QFETCH(QByteArray, request);
        QFETCH(QByteArray, reply);
        RawClient peer(port());
        peer.send(request);
        QVERIFY(peer.waitClosed());
        QCOMPARE(peer.received.left(reply.size()), reply);
        QVERIFY2(peer.received.contains("\r\nConnection: close\r\n"), peer.received.constData());
        QVERIFY(ids.isEmpty());
        QTRY_COMPARE(server->openConnectionCount(), 0);
    }

    void largestBodyIsAccepted()
    {
        // A body of exactly the limit is read (and then found not to be XML).
        QByteArray body(XRServer::kMaxBodyBytes, ' ');
        body.replace(0, 5, "<bad>");
        RawClient peer(port());
        peer.send(post(body));
        HttpMessage reply;
        QVERIFY(peer.receive(reply, 30000));
        QCOMPARE(faultOf(reply).value(0), QVariant(-32700));
    }

    void idleConnectionsAreClosed_data()
    {
        QTest::addColumn<QByteArray>("sent");
        QTest::newRow("nothing") << QByteArray();
        QTest::newRow("half a header") << QByteArray("POST /RPC2 HTTP/1.1\r\nContent-Le");
        QTest::newRow("header ended by bare line feeds") << QByteArray("POST /RPC2 HTTP/1.1\nContent-Length: 0\n\n\n\n");
        QTest::newRow("half a body") << QByteArray("POST /RPC2 HTTP/1.1\r\nContent-Length: 100\r\n\r\n<meth");
    }
    void idleConnectionsAreClosed()
    {
        QFETCH(QByteArray, sent);
        server->setIdleTimeout(150);
        RawClient peer(port());
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
        RawClient peer(port());
        peer.send(echo(1));
        QTRY_COMPARE(ids.size(), 1);
        QTest::qWait(400); // well past the idle timeout: a pending request is not idle
        QCOMPARE(peer.socket.state(), QAbstractSocket::ConnectedState);
        server->sendMethodResponse(ids[0], 1);
        QCOMPARE(nextValue(peer), QVariant(1));
        QVERIFY(peer.waitClosed());
        QTRY_COMPARE(server->openConnectionCount(), 0);
    }

    void connectionsBeyondTheLimitAreRefused()
    {
        server->setMaxConnections(2);
        RawClient first(port()), second(port());
        QTRY_COMPARE(server->openConnectionCount(), 2);
        RawClient third(port());
        HttpMessage reply;
        QVERIFY(third.receive(reply));
        QVERIFY2(reply.startLine.startsWith("HTTP/1.1 503 "), reply.startLine.constData());
        QVERIFY(third.waitClosed());

        first.socket.abort();
        QTRY_COMPARE(server->openConnectionCount(), 1);
        RawClient fourth(port());
        fourth.send(echo(4));
        QCOMPARE(nextValue(fourth), QVariant(4));
    }

    void destroyingTheServerClosesItsConnections()
    {
        answerAtOnce = false;
        RawClient peer(port());
        peer.send(echo(1));
        QTRY_COMPARE(server->pendingRequestCount(), 1);
        server.reset();
        QVERIFY(peer.waitClosed());
    }
};

QTEST_GUILESS_MAIN(TestXRServer)
#include "tst_xrserver.moc"
