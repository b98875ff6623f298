// The XML-RPC client against Python's standard server, against our own
// server, and against a scripted raw server that answers with exact bytes.

#include "xmlrpc/xrclient.h"
#include "xmlrpc/xrdocuments.h"
#include "xmlrpc/xrserver.h"
#include "xmlrpc/xrvalue.h"

#include <QDateTime>
#include <QProcess>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QtTest>

namespace {

// Answers each request with fixed bytes. The first `ignored` requests get no
// answer at all; with `hold` set, requests wait until answerHeld().
class ScriptedServer : public QTcpServer
{
public:
    explicit ScriptedServer(const QByteArray& reply = QByteArray()) : reply(reply)
    {
        listen(QHostAddress::LocalHost);
        connect(this, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* socket = nextPendingConnection()) {
                buffers.insert(socket, QByteArray());
                connect(socket, &QTcpSocket::readyRead, this, [this, socket] { readFrom(socket); });
            }
        });
    }

    QUrl url(const QString& path = "/RPC2") const
    {
        return QUrl(QString("http://127.0.0.1:%1%2").arg(serverPort()).arg(path));
    }

    void answerHeld()
    {
        const auto held = std::exchange(heldSockets, {});
        for (QTcpSocket* socket : held)
            answer(socket);
    }

    QByteArray reply;
    bool closeAfterReply = false;
    bool hold = false;
    int ignored = 0;
    QList<QByteArray> requests; // complete requests: header and body
    QList<QTcpSocket*> heldSockets;

private:
    void readFrom(QTcpSocket* socket)
    {
        QByteArray& buffer = buffers[socket];
        buffer += socket->readAll();
        const qsizetype end = buffer.indexOf("\r\n\r\n");
        if (end < 0)
            return;
        qsizetype length = 0;
        for (const QByteArray& line : buffer.left(end).split('\n'))
            if (line.toLower().startsWith("content-length:"))
                length = line.mid(15).trimmed().toLongLong();
        if (buffer.size() < end + 4 + length)
            return;
        requests.append(buffer.left(end + 4 + length));
        buffer.remove(0, end + 4 + length);
        if (requests.size() <= ignored)
            return;
        if (hold)
            heldSockets.append(socket);
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
};

QByteArray httpReply(const QByteArray& body, const QByteArray& status = "200 OK",
                     const QByteArray& extraFields = QByteArray())
{
    return "HTTP/1.1 " + status + "\r\nContent-Type: text/xml\r\n" + extraFields
           + "Content-Length: " + QByteArray::number(body.size()) + "\r\n\r\n" + body;
}

// The header field of a raw request, or a null array.
QByteArray requestField(const QByteArray& request, const QByteArray& name)
{
    const QByteArray header = request.left(request.indexOf("\r\n\r\n"));
    for (const QByteArray& line : header.split('\n')) {
        const qsizetype colon = line.indexOf(':');
        if (colon > 0 && line.left(colon).trimmed().compare(name, Qt::CaseInsensitive) == 0)
            return line.mid(colon + 1).trimmed();
    }
    return QByteArray();
}

// Records both outcome signals of a client in arrival order.
struct Outcomes
{
    explicit Outcomes(XRClient* client)
    {
        QObject::connect(client, &XRClient::methodResponse, client,
                         [this](int id, const QVariant& value) { all.append({id, false, 0, {}, value}); });
        QObject::connect(client, &XRClient::fault, client, [this](int id, int code, const QString& text) {
            all.append({id, true, code, text, {}});
        });
    }
    struct Outcome
    {
        int id;
        bool isFault;
        int code;
        QString text;
        QVariant value;
    };
    bool waitFor(int count) { return QTest::qWaitFor([&] { return all.size() >= count; }, 20000); }
    QList<Outcome> all;
};

} // namespace

class TestXRClient : public QObject
{
    Q_OBJECT

private:
    QProcess python;
    QUrl pythonUrl;

private slots:
    void initTestCase()
    {
        python.start("/usr/bin/python3", {KVO_SOURCE_DIR "/tests/peers/xmlrpc_server.py", "127.0.0.2"});
        QVERIFY(python.waitForStarted());
        QVERIFY(QTest::qWaitFor([&] { return python.canReadLine(); }, 20000));
        const int port = python.readLine().trimmed().toInt();
        QVERIFY(port > 0);
        pythonUrl = QUrl(QString("http://127.0.0.2:%1/RPC2").arg(port));
    }

    void cleanupTestCase()
    {
        python.closeWriteChannel();
        if (!python.waitForFinished(5000))
            python.kill();
    }

    void valuesRoundTripThroughPython()
    {
        QVariantMap map{{"name", QString("player <1> & co")}, {"count", 3}};
        const QVariantList params{42, true, 2.5, QString("  spaced \u00e9  "), QByteArray("\x00\x01binary", 8),
                                  QVariantList{1, QString("two")}, map,
                                  QDateTime(QDate(2010, 5, 28), QTime(14, 5, 9))};
        XRClient client(pythonUrl);
        Outcomes outcomes(&client);
        const int id = client.call("echo", params);
        QVERIFY(outcomes.waitFor(1));
        QCOMPARE(outcomes.all[0].id, id);
        QVERIFY(!outcomes.all[0].isFault);
        const QVariantList echoed = outcomes.all[0].value.toList();
        QCOMPARE(echoed.size(), params.size());
        for (int i = 0; i < 7; ++i)
            QCOMPARE(echoed[i], params[i]);
        QCOMPARE(echoed[7].toDateTime().toString(kXrDateTimeFormat), QString("20100528T14:05:09"));
    }

    void remoteFaultArrivesAsFault()
    {
        XRClient client(pythonUrl);
        Outcomes outcomes(&client);
        const int id = client.call("Kivo.fail", {});
        QVERIFY(outcomes.waitFor(1));
        QTest::qWait(20);
        QCOMPARE(outcomes.all.size(), 1);
        QCOMPARE(outcomes.all[0].id, id);
        QVERIFY(outcomes.all[0].isFault);
        QCOMPARE(outcomes.all[0].code, 4);
        QCOMPARE(outcomes.all[0].text, QString("bad path"));
    }

    void callsAreAnsweredInCallOrder()
    {
        XRClient client(pythonUrl);
        Outcomes outcomes(&client);
        QList<int> ids;
        for (int i = 0; i < 8; ++i)
            ids.append(client.call(i % 2 ? "Kivo.text" : "echo", {i * 500}));
        QVERIFY(outcomes.waitFor(8));
        for (int i = 0; i < 8; ++i) {
            QCOMPARE(outcomes.all[i].id, ids[i]);
            if (i % 2)
                QCOMPARE(outcomes.all[i].value.toString().size(), i * 500);
            else
                QCOMPARE(outcomes.all[i].value, QVariant(QVariantList{i * 500}));
        }
    }

    void idsIncreaseAcrossClients()
    {
        XRClient first(pythonUrl), second(pythonUrl);
        const int a = first.call("echo", {});
        const int b = second.call("echo", {});
        const int c = first.call("echo", {});
        XRClient third(pythonUrl);
        const int d = third.call("echo", {});
        QVERIFY(a > 0);
        QVERIFY(a < b && b < c && c < d);
    }

    void requestCarriesTheFieldsAndTheCall()
    {
        ScriptedServer server(httpReply("<methodResponse><params><param><value>ok</value></param></params>"
                                        "</methodResponse>"));
        XRClient client(server.url("/RPC2"));
        Outcomes outcomes(&client);
        client.call("Kivo.GetList", {});
        QVERIFY(outcomes.waitFor(1));
        QCOMPARE(outcomes.all[0].value, QVariant(QString("ok")));
        QCOMPARE(server.requests.size(), 1);
        const QByteArray request = server.requests[0];
        QVERIFY(request.startsWith("POST /RPC2 HTTP/1.1\r\n"));
        QCOMPARE(requestField(request, "User-Agent"), QByteArray("QuteXmlRpc/0.0"));
        QCOMPARE(requestField(request, "Accept-Encoding"), QByteArray("deflate"));
        QCOMPARE(requestField(request, "Content-Type"), QByteArray("text/xml"));
        QVERIFY(requestField(request, "Host").startsWith("127.0.0.1"));
        const QByteArray body = request.mid(request.indexOf("\r\n\r\n") + 4);
        QCOMPARE(requestField(request, "Content-Length").toLongLong(), body.size());
        QCOMPARE(body, XRMethodCall("Kivo.GetList", {}).toWire());
        QVERIFY(body.contains("<params"));
        QVERIFY(!body.contains("<param>"));
    }

    void answersAreReadWhateverTheirForm_data()
    {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<bool>("closeAfterReply");
        QTest::addColumn<bool>("isFault");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QVariant>("value");

        const QByteArray packed = XRMethodResponse(QVariant(QString(400, 'p'))).toWire();
        QTest::newRow("deflate") << httpReply(qCompress(packed), "200 OK", "Content-Encoding: deflate\r\n")
                                 << false << false << 0 << QString() << QVariant(QString(400, 'p'));
        QTest::newRow("fault struct")
            << httpReply(XRMethodResponse(4, "bad path").toWire()) << false << true << 4 << "bad path"
            << QVariant();
        QTest::newRow("neither params nor fault") << httpReply("<methodResponse/>") << false << false << 0
                                                  << QString() << QVariant();
        QTest::newRow("HTML error page")
            << httpReply("<html><head><title>404</title></head><body><p>Not found<br></body></html>",
                         "404 Not Found")
            << false << true << -32700 << QString() << QVariant();
        QTest::newRow("XML but no methodResponse")
            << httpReply("<html><body>Not found</body></html>", "404 Not Found") << false << true << -32600
            << "server error: recieved bad XML-RPC grammar from remote server" << QVariant();
        QTest::newRow("server error status with a fault")
            << httpReply(XRMethodResponse(-1, "busy").toWire(), "500 Internal Server Error") << false << true
            << -1 << "busy" << QVariant();
        QTest::newRow("corrupt deflate")
            << httpReply(QByteArray("\x00\x00\x01\x00garbage", 11), "200 OK", "Content-Encoding: deflate\r\n")
            << false << true << -32700 << "Compressed response body is corrupt" << QVariant();
        QTest::newRow("closed mid-reply")
            << QByteArray("HTTP/1.1 200 OK\r\nContent-Length: 1000\r\n\r\n<methodResponse>") << true << true
            << -32300 << "Server closed connection unexpectedly" << QVariant();
        QTest::newRow("announced too large")
            << QByteArray("HTTP/1.1 200 OK\r\nContent-Length: "
                          + QByteArray::number(XRClient::kMaxResponseBytes + 1) + "\r\n\r\n<methodResponse>")
            << false << true << -32300 << "Response too large" << QVariant();
    }
    void answersAreReadWhateverTheirForm()
    {
        QFETCH(QByteArray, reply);
        QFETCH(bool, closeAfterReply);
        QFETCH(bool, isFault);
        QFETCH(int, code);
        QFETCH(QString, text);
        QFETCH(QVariant, value);
        ScriptedServer server(reply);
        server.closeAfterReply = closeAfterReply;
        XRClient client(server.url());
        Outcomes outcomes(&client);
        const int id = client.call("Kivo.GetList", {});
        QVERIFY(outcomes.waitFor(1));
        const auto& outcome = outcomes.all[0];
        QCOMPARE(outcome.id, id);
        QCOMPARE(outcome.isFault, isFault);
        if (isFault) {
            QCOMPARE(outcome.code, code);
            if (text.isEmpty())
                QVERIFY(!outcome.text.isEmpty());
            else
                QCOMPARE(outcome.text, text);
        } else {
            QCOMPARE(outcome.value, value);
        }
    }

    void decompressionIsBounded()
    {
        // A small body that would expand past the response limit.
        const QByteArray huge(XRClient::kMaxResponseBytes + 1024, ' ');
        QByteArray bomb = qCompress(huge, 9);
        bomb[0] = bomb[1] = bomb[2] = bomb[3] = 0; // the length prefix lies
        ScriptedServer server(httpReply(bomb, "200 OK", "Content-Encoding: deflate\r\n"));
        XRClient client(server.url());
        Outcomes outcomes(&client);
        client.call("Kivo.GetList", {});
        QVERIFY(outcomes.waitFor(1));
        QVERIFY(outcomes.all[0].isFault);
        QCOMPARE(outcomes.all[0].code, -32300);
        QCOMPARE(outcomes.all[0].text, QString("Response too large"));
    }

    void refusedConnectionIsATransportFault()
    {
        quint16 port = 0;
        {
            QTcpServer probe;
            QVERIFY(probe.listen(QHostAddress::LocalHost));
            port = probe.serverPort();
        }
        XRClient client(QUrl(QString("http://127.0.0.1:%1/RPC2").arg(port)));
        Outcomes outcomes(&client);
        const int id = client.call("Kivo.SyncDateTime", {});
        QVERIFY(outcomes.waitFor(1));
        QCOMPARE(outcomes.all[0].id, id);
        QVERIFY(outcomes.all[0].isFault);
        QCOMPARE(outcomes.all[0].code, -32300);
        QCOMPARE(outcomes.all[0].text, QString("Connection refused"));
    }

    void oneCallInFlightPerClient()
    {
        ScriptedServer server(httpReply(XRMethodResponse(QVariant(1)).toWire()));
        server.hold = true;
        XRClient client(server.url());
        Outcomes outcomes(&client);
        const int first = client.call("a", {});
        const int second = client.call("b", {});
        QTRY_COMPARE(server.requests.size(), 1);
        QTest::qWait(50);
        QCOMPARE(server.requests.size(), 1);
        QVERIFY(server.requests[0].contains("<methodName>a</methodName>"));
        server.answerHeld();
        QTRY_COMPARE(server.requests.size(), 2);
        QVERIFY(server.requests[1].contains("<methodName>b</methodName>"));
        server.answerHeld();
        QVERIFY(outcomes.waitFor(2));
        QCOMPARE(outcomes.all[0].id, first);
        QCOMPARE(outcomes.all[1].id, second);
    }

    void silentPeerTimesOutAndTheQueueMovesOn()
    {
        ScriptedServer server(httpReply(XRMethodResponse(QVariant(QString("late but fine"))).toWire()));
        server.ignored = 1;
        XRClient client(server.url());
        client.setRequestTimeout(200);
        Outcomes outcomes(&client);
        const int first = client.call("a", {});
        const int second = client.call("b", {});
        QVERIFY(outcomes.waitFor(2));
        QCOMPARE(outcomes.all[0].id, first);
        QVERIFY(outcomes.all[0].isFault);
        QCOMPARE(outcomes.all[0].code, -32300);
        QCOMPARE(outcomes.all[0].text, QString("Request timed out"));
        QCOMPARE(outcomes.all[1].id, second);
        QCOMPARE(outcomes.all[1].value, QVariant(QString("late but fine")));
    }

    void destructionAbortsTheCallInFlightOnly()
    {
        ScriptedServer server(httpReply(XRMethodResponse(QVariant(1)).toWire()));
        server.hold = true;
        auto* client = new XRClient(server.url());
        QSignalSpy faults(client, &XRClient::fault);
        QSignalSpy responses(client, &XRClient::methodResponse);
        const int inFlight = client->call("a", {});
        client->call("b", {});
        QTRY_COMPARE(server.requests.size(), 1);
        delete client;
        QCOMPARE(faults.size(), 1);
        QCOMPARE(faults[0][0].toInt(), inFlight);
        QCOMPARE(faults[0][1].toInt(), -32300);
        QCOMPARE(faults[0][2].toString(), QString("Request aborted"));
        server.answerHeld();
        QTest::qWait(50);
        QCOMPARE(server.requests.size(), 1);
        QCOMPARE(responses.size(), 0);
    }

    void newUrlServesLaterCallsOnly()
    {
        ScriptedServer server(httpReply(XRMethodResponse(QVariant(QString("scripted"))).toWire()));
        XRClient client(pythonUrl);
        Outcomes outcomes(&client);
        client.call("echo", {QString("python")});
        client.setUrl(server.url("/other").toString());
        QCOMPARE(client.url(), server.url("/other"));
        client.call("echo", {});
        QVERIFY(outcomes.waitFor(2));
        QCOMPARE(outcomes.all[0].value, QVariant(QVariantList{QString("python")}));
        QCOMPARE(outcomes.all[1].value, QVariant(QString("scripted")));
        QCOMPARE(server.requests.size(), 1);
        QVERIFY(server.requests[0].startsWith("POST /other HTTP/1.1"));
    }

    void compressedAnswersOfOurOwnServerAreDecoded()
    {
        XRServer server(0, 5, nullptr, "echo", QHostAddress::LocalHost);
        connect(&server, &XRServer::methodCall, &server,
                [&server](int id, const QString&, const QVariantList& params, bool& handled) {
                    handled = true;
                    server.sendMethodResponse(id, params);
                });
        XRClient client(QUrl(QString("http://127.0.0.1:%1/RPC2").arg(server.serverPort())));
        Outcomes outcomes(&client);
        const QVariantList params{QString(5000, 'z'), QVariantMap{{"k", QString("v")}}};
        client.call("anything", params);
        client.call("unknown but handled", {});
        QVERIFY(outcomes.waitFor(2));
        QCOMPARE(outcomes.all[0].value, QVariant(params));
        QCOMPARE(outcomes.all[1].value, QVariant(QVariantList()));
    }
};

QTEST_GUILESS_MAIN(TestXRClient)
#include "tst_xrclient.moc"
