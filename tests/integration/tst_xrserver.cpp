// The XML-RPC HTTP server seen from raw sockets: exact reply bytes, framing,
// connection reuse and the bounds that protect it from misbehaving peers.

#include "xmlrpc/xrdocuments.h"
#include "xmlrpc/xrserver.h"

#include "../peers/rawhttp.h"

#include <QtTest>

#include <future>
#include <list>

#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

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

// Neither value nor fault when the body is no methodResponse.
XRMethodResponse responseOf(const HttpMessage& reply)
{
    XRMethodResponse response;
    return xrParseDocument(reply.body, response) && response.parse() ? response : XRMethodResponse();
}

// The value of the next answer on peer; invalid when none arrives.
QVariant nextValue(RawClient& peer)
{
    HttpMessage reply;
    return peer.receive(reply) ? responseOf(reply).value() : QVariant();
}

// What a simple HTTP client sees: it sends its whole request (blocking) before it reads anything, then
// reads until the server closes. Empty when it could not send it all.
QByteArray exchangeBlocking(quint16 port, const QByteArray& request)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    const timeval timeout{10, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof timeout);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    QByteArray received;
    qsizetype sent = 0;
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) {
        for (ssize_t n; sent < request.size()
                        && (n = ::send(fd, request.constData() + sent, size_t(request.size() - sent), MSG_NOSIGNAL)) > 0;)
            sent += n;
        char buffer[4096];
        for (ssize_t n; (n = ::recv(fd, buffer, sizeof buffer, 0)) > 0;)
            received.append(buffer, n);
    }
    ::close(fd);
    return sent == request.size() ? received : QByteArray();
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
        QTest::addColumn<QString>("text"); // empty: the parser's own words; ending in *: its start
        QTest::newRow("empty param")
            << post("<methodCall><methodName>echo</methodName><params><param/></params></methodCall>") << -32600
            << "Invalid XML-RPC methodCall";
        const QString longName(300, 'm');
        QTest::newRow("long unknown method") << post(XRMethodCall(longName, {}).toWire()) << -32601
                                             << "Method: " + longName.left(256) + "..., not found";
        QByteArray attributes;
        for (int i = 0; i <= 10000; ++i)
            attributes += " a" + QByteArray::number(i) + "=''";
        QTest::newRow("too many attributes")
            << post("<methodCall><methodName" + attributes + ">echo</methodName></methodCall>") << -32700
            << "Documents with more than 10000 attributes are not accepted*";
        QByteArray nodes = "<methodCall><methodName>echo</methodName><params>";
        for (int i = 0; i < 1000000; ++i)
            nodes += "<a/>";
        QTest::newRow("too many nodes") << post(nodes + "</params></methodCall>") << -32700
                                        << "Documents with more than 1000000 nodes are not accepted*";
    }
    void callFaults()
    {
        QFETCH(QByteArray, request);
        QFETCH(int, code);
        QFETCH(QString, text);
        RawClient peer(port());
        peer.send(request);
        HttpMessage reply;
        QVERIFY(peer.receive(reply, 30000));
        QCOMPARE(reply.startLine, QByteArray("HTTP/1.1 200 OK"));
        QVERIFY(reply.field("Connection").isEmpty());
        int saidCode = 0;
        QString said;
        QVERIFY(responseOf(reply).getFault(saidCode, said));
        QCOMPARE(saidCode, code);
        QVERIFY2(text.isEmpty()          ? !said.isEmpty()
                 : text.endsWith('*') ? said.startsWith(text.chopped(1))
                                      : said == text,
                 qPrintable(said.left(400)));
        QCOMPARE(server->pendingRequestCount(), 0);
    }

    // A large answer goes out as the peer reads it, far beyond the system's
    // socket buffers; a request behind it waits, and is served only when the
    // connection is kept.
    void connectionFieldDecidesClosing_data()
    {
        QTest::addColumn<QByteArray>("version");
        QTest::addColumn<QByteArray>("connectionField");
        QTest::addColumn<bool>("closes");
        QTest::newRow("1.0") << QByteArray("HTTP/1.0") << QByteArray() << true;
        QTest::newRow("1.0 keep-alive") << QByteArray("HTTP/1.0") << QByteArray("keep-alive") << false;
        QTest::newRow("1.1 close") << QByteArray("HTTP/1.1") << QByteArray("close") << true;
    }
    void connectionFieldDecidesClosing()
    {
        QFETCH(QByteArray, version);
        QFETCH(QByteArray, connectionField);
        QFETCH(bool, closes);
        const QByteArray field = connectionField.isEmpty() ? QByteArray() : "Connection: " + connectionField + "\r\n";
        const QString large(6 * 1024 * 1024, QLatin1Char('a'));
        RawClient peer(port());
        peer.send(echo(large, field, version) + echo(8, field, version));
        HttpMessage reply;
        QVERIFY(peer.receive(reply, 30000));
        QCOMPARE(responseOf(reply).value(), QVariant(large));
        QCOMPARE(reply.field("Connection"), closes ? QByteArray("close") : QByteArray());
        if (closes) {
            QVERIFY(peer.waitClosed());
            QVERIFY(peer.received.isEmpty());
            QCOMPARE(ids.size(), 1);
        } else {
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

    // Bad requests are refused and closed at once. A header must arrive
    // within the header time; a request that has its header may wait the
    // idle time for its body.
    void refusedAndClosed_data()
    {
        QTest::addColumn<QByteArray>("request");
        QTest::addColumn<QByteArray>("reply"); // how the answer starts; empty for none
        QTest::addColumn<bool>("headerLate");  // else the idle time runs out
        const QByteArray notPost = "HTTP/1.1 405 Method Not Allowed\r\nContent-Length: 46\r\nConnection: close\r\n\r\n"
                                   "This is an XML-RPC server.  I only accept POST";
        QTest::newRow("GET") << QByteArray("GET /RPC2 HTTP/1.1\r\nHost: x\r\n\r\n") << notPost << true;
        // Answered with a fault, then closed.
        QTest::newRow("no content length")
            << QByteArray("POST /RPC2 HTTP/1.1\r\nTransfer-Encoding: chunked\r\n\r\n5\r\nhello\r\n0\r\n\r\n")
            << QByteArray("HTTP/1.1 200 OK\r\n") << true;
        const QByteArray head = "POST /RPC2 HTTP/1.1\r\nHost: x\r\n";
        const QByteArray badRequest = "HTTP/1.1 400 Bad Request\r\n";
        QTest::newRow("overflow") << head + "Content-Length: 99999999999999999999\r\n\r\n" << badRequest << true;
        QTest::newRow("conflicting lengths") << head + "Content-Length: 3\r\nContent-Length: 4\r\n\r\n" << badRequest
                                             << true;
        QTest::newRow("body too large") << head + "Content-Length: 16777217\r\n\r\n"
                                        << QByteArray("HTTP/1.1 413 Payload Too Large\r\n") << true;
        const QByteArray padding = head + "X-Padding: ";
        QTest::newRow("header too large") << padding + QByteArray(XRServer::kMaxHeaderBytes + 1 - padding.size(), 'a')
                                          << QByteArray("HTTP/1.1 431 Request Header Fields Too Large\r\n") << true;
        QTest::newRow("half a header") << QByteArray("POST /RPC2 HTTP/1.1\r\nContent-Le") << QByteArray() << true;
        QTest::newRow("half a body") << QByteArray("POST /RPC2 HTTP/1.1\r\nContent-Length: 100\r\n\r\n<meth")
                                     << QByteArray() << false;
    }
    void refusedAndClosed()
    {
        QFETCH(QByteArray, request);
        QFETCH(QByteArray, reply);
        QFETCH(bool, headerLate);
        server->setIdleTimeout(headerLate ? 10000 : 150);
        server->setHeaderTimeout(headerLate ? 150 : 10000);
        RawClient peer(port());
        peer.send(request);
        QVERIFY(peer.waitClosed());
        QCOMPARE(peer.received.left(reply.size()), reply);
        QVERIFY2(reply.isEmpty() ? peer.received.isEmpty() : peer.received.contains("\r\nConnection: close\r\n"),
                 peer.received.constData());
        QVERIFY(ids.isEmpty());
        QTRY_COMPARE(server->openConnectionCount(), 0);
    }

    // Peers that have had their final answer but not yet closed (as a burst
    // of players leaves them) do not hold the places of those that follow.
    void answeredPeersLeaveTheirPlaces()
    {
        server->setMaxConnections(1);
        server->setMaxConnectionsPerPeer(1);
        std::list<RawClient> peers; // kept open
        for (const char* text : {"first", "second"}) {
            peers.emplace_back(port()).send(echo(QString(text), "Connection: close\r\n"));
            HttpMessage reply;
            QVERIFY(peers.back().receive(reply));
            QCOMPARE(reply.startLine, QByteArray("HTTP/1.1 200 OK"));
            QVERIFY(reply.body.contains(text));
        }
    }

    // A refused peer that has already sent its request still reads the
    // refusal: the server drains the request instead of resetting.
    void aRefusedPeerReadsItsAnswer_data()
    {
        QTest::addColumn<int>("maxConnections");
        QTest::addColumn<int>("perPeer");
        QTest::addColumn<qint64>("budget");
        QTest::addColumn<QByteArray>("body");
        QTest::newRow("server full") << 1 << 8 << XRServer::kDefaultLargeBodyBudget << QByteArray("Too many connections");
        QTest::newRow("peer's share taken") << 8 << 1 << XRServer::kDefaultLargeBodyBudget
                                            << QByteArray("Too many connections");
        QTest::newRow("large-body budget spent") << 8 << 8 << qint64(100000)
                                                 << QByteArray("Server busy, try again later");
    }
    void aRefusedPeerReadsItsAnswer()
    {
        QFETCH(int, maxConnections);
        QFETCH(int, perPeer);
        QFETCH(qint64, budget);
        QFETCH(QByteArray, body);
        server->setMaxConnections(maxConnections);
        server->setMaxConnectionsPerPeer(perPeer);
        server->setLargeBodyBudget(budget);
        // The first peer holds a connection and half of a large body.
        RawClient holder(port());
        holder.send("POST /RPC2 HTTP/1.1\r\nContent-Length: 90000\r\n\r\n" + QByteArray(1000, 'x'));
        QTRY_COMPARE(server->openConnectionCount(), 1);
        QTRY_COMPARE(server->largeBodyBytesReserved(), qint64(90000));

        // More than the system buffers take: a server that closes at once
        // resets the connection while the peer is still sending.
        auto exchange = std::async(std::launch::async, exchangeBlocking, port(), post(QByteArray(8000000, ' ')));
        QVERIFY(waitUntil([&] { return exchange.wait_for(std::chrono::seconds(0)) == std::future_status::ready; },
                          20000));
        QByteArray refused = exchange.get();
        HttpMessage reply;
        QVERIFY2(takeMessage(refused, reply), refused.constData());
        QCOMPARE(reply.startLine, QByteArray("HTTP/1.1 503 Service Unavailable"));
        QCOMPARE(reply.field("Connection"), QByteArray("close"));
        QCOMPARE(reply.body, body);
        QVERIFY(ids.isEmpty());
    }

};

QTEST_GUILESS_MAIN(TestXRServer)
#include "tst_xrserver.moc"
