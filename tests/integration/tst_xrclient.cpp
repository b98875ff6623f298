// The XML-RPC client against a scripted raw server answering exact bytes, and against hostile players.

#include "xmlrpc/xrclient.h"
#include "xmlrpc/xrdocuments.h"

#include "../peers/hostileplayer.h"
#include "../peers/rawhttp.h"

#include <QtTest>

namespace {

// Both outcome signals of a client in arrival order; a child of the client, it hears an aborted call's fault.
struct Outcomes : QObject
{
    struct Outcome { int id; bool isFault; int code; QString text; QVariant value; };

    explicit Outcomes(XRClient* client) : QObject(client)
    {
        connect(client, &XRClient::methodResponse, this,
                [this](int id, const QVariant& value) { all.append({id, false, 0, {}, value}); });
        connect(client, &XRClient::fault, this,
                [this](int id, int code, const QString& text) { all.append({id, true, code, text, {}}); });
    }
    bool waitFor(int count) { return QTest::qWaitFor([&] { return all.size() >= count; }, 20000); }

    QList<Outcome> all;
};

// A figure of this process's /proc/self/status in bytes ("VmRSS", "VmHWM").
qint64 memoryFigure(const QByteArray& name)
{
    QFile status("/proc/self/status");
    status.open(QIODevice::ReadOnly); // unreadable: no line matches
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith(name + ':'))
            return line.mid(name.size() + 1).trimmed().split(' ').first().toLongLong() * 1024;
    return -1;
}

// By how much the resident memory peaked above its level before work; -1 when it cannot be measured.
template <typename Work>
qint64 peakGrowth(Work work)
{
    QFile clearRefs("/proc/self/clear_refs");
    if (!clearRefs.open(QIODevice::WriteOnly) || clearRefs.write("5") != 1) // resets the peak
        return -1;
    clearRefs.close();
    const qint64 before = memoryFigure("VmRSS");
    work();
    return memoryFigure("VmHWM") - before;
}

} // namespace

class TestXRClient : public QObject
{
    Q_OBJECT

private:
    // The memory an honest reply of nearly the largest size takes.
    qint64 honestPeak = -1;

private slots:
    void initTestCase()
    {
        const int size = XRClient::kMaxResponseBytes - 4096;
        ScriptedServer server(httpReply(xrResponseWire(QString(size, 'x'))));
        XRClient client(server.url());
        Outcomes& outcomes = *new Outcomes(&client);
        honestPeak = peakGrowth([&] {
            client.call("Kivo.FirmwareVersion", {});
            outcomes.waitFor(1);
        });
        QCOMPARE(outcomes.all.value(0).value.toString().size(), size);
        QVERIFY(honestPeak > 0);
    }


    void requestCarriesTheFieldsAndTheCall()
    {
        ScriptedServer server(httpReply(xrResponseWire("ok")));
        XRClient client(server.url());
        client.call("Kivo.GetList", {});
        QTRY_COMPARE(server.requests.size(), 1);
        const HttpMessage request = server.requests.value(0);
        QCOMPARE(request.startLine, QByteArray("POST /RPC2 HTTP/1.1"));
        QCOMPARE(request.field("Accept-Encoding"), QByteArray("deflate"));
        QCOMPARE(request.field("Content-Type"), QByteArray("text/xml"));
        QCOMPARE(request.field("Content-Length").toLongLong(), request.body.size());
        QCOMPARE(request.body, QByteArray("<methodCall><methodName>Kivo.GetList</methodName><params/></methodCall>"));
    }

    void answersAreReadWhateverTheirForm_data()
    {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<bool>("closeAfterReply");
        QTest::addColumn<int>("code"); // 0: a value
        QTest::addColumn<QString>("text"); // empty: the parser's own words
        QTest::addColumn<QVariant>("value");
        const QByteArray deflated = "Content-Encoding: deflate\r\n";

        QTest::newRow("deflate") << httpReply(qCompress(xrResponseWire(QString(400, 'p'))), "200 OK", deflated)
                                 << false << 0 << QString() << QVariant(QString(400, 'p'));
        QTest::newRow("neither params nor fault") << httpReply("<methodResponse/>") << false << 0 << QString()
                                                  << QVariant();
        QTest::newRow("server error status with a fault")
            << httpReply(xrFaultWire(-1, "busy"), "500 Internal Server Error") << false << -1 << "busy"
            << QVariant();
        QTest::newRow("closed mid-reply")
            << QByteArray("HTTP/1.1 200 OK\r\nContent-Length: 1000\r\n\r\n<methodResponse>") << true << -32300
            << "Server closed connection unexpectedly" << QVariant();
        const QByteArray ok = xrResponseWire("ok");
        QTest::newRow("chunked") << "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n"
                                        + QByteArray::number(20, 16) + ";ext=1\r\n" + ok.left(20) + "\r\n"
                                        + QByteArray::number(ok.size() - 20, 16) + "\r\n" + ok.mid(20) + "\r\n0\r\n\r\n"
                                 << false << 0 << QString() << QVariant("ok");
        QTest::newRow("body until close") << "HTTP/1.0 200 OK\r\n\r\n" + ok << true << 0 << QString() << QVariant("ok");
        // Counted as it arrives: no length tells in advance.
        QTest::newRow("too large, no length")
            << "HTTP/1.0 200 OK\r\n\r\n<methodResponse>" + QByteArray(XRClient::kMaxResponseBytes, ' ') << true
            << -32300 << "Response too large: reply from 127.0.0.1 exceeded 4 MiB" << QVariant();
    }
    void answersAreReadWhateverTheirForm()
    {
        QFETCH(QByteArray, reply);
        QFETCH(bool, closeAfterReply);
        QFETCH(int, code);
        QFETCH(QString, text);
        QFETCH(QVariant, value);
        ScriptedServer server(reply);
        server.closeAfterReply = closeAfterReply;
        XRClient client(server.url());
        Outcomes& outcomes = *new Outcomes(&client);
        const int id = client.call("Kivo.GetList", {});
        QVERIFY(outcomes.waitFor(1));
        const auto& outcome = outcomes.all[0];
        QCOMPARE(outcome.id, id);
        QCOMPARE(outcome.code, code);
        QVERIFY2(text.isEmpty() ? outcome.isFault != outcome.text.isEmpty() : outcome.text == text,
                 qPrintable(outcome.text));
        QCOMPARE(outcome.value, value);
    }

    // Each bad reply ends in a fault (or, for text the window shows as plain text, a value), and its memory
    // peak stays within one reply budget of an honest reply's of nearly the largest size.
    void hostilePlayerRepliesAreBounded_data()
    {
        QTest::addColumn<QString>("setting");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("text");
        for (const HostileReply& reply : hostileReplies())
            QTest::newRow(reply.name) << reply.setting << reply.code << reply.text;
    }
    void hostilePlayerRepliesAreBounded()
    {
        QFETCH(QString, setting);
        QFETCH(int, code);
        QFETCH(QString, text);
        HostilePlayer player;
        QVERIFY(player.start("127.0.31.2", 1, setting));
        XRClient client(QUrl("http://127.0.31.2:8888/RPC2"), nullptr,
                        QString("xml-rpc_client%1:127.0.31.2").arg(HostilePlayer::kName));
        client.setRequestTimeout(30000);
        Outcomes& outcomes = *new Outcomes(&client);
        const qint64 growth = peakGrowth([&] {
            client.call("Kivo.FirmwareVersion", {});
            outcomes.waitFor(1);
        });
        const auto outcome = outcomes.all.value(0);
        QCOMPARE(outcome.code, code);
        QVERIFY2(text.isEmpty() ? outcome.isFault != outcome.text.isEmpty() : outcome.text == text,
                 qPrintable(outcome.text.left(200)));
        QVERIFY(outcome.isFault || outcome.value.toList().value(0).toString().contains("<h1>Update required</h1>"));
        QVERIFY2(growth >= 0 && growth < honestPeak + XRClient::kMaxResponseBytes,
                 qPrintable(QString("peak grew by %1 bytes, an honest reply's by %2").arg(growth).arg(honestPeak)));
    }

    // Destruction aborts the call in flight; the queued one ends without a signal.
    void destructionAbortsTheCallInFlight()
    {
        ScriptedServer server;
        server.ignored = 1;
        auto* client = new XRClient(server.url());
        const int first = client->call("a", {});
        client->call("b", {});
        QTRY_COMPARE(server.requests.size(), 1);
        QSignalSpy faults(client, &XRClient::fault);
        delete client;
        QCOMPARE(faults, (QList<QVariantList>{{first, -32300, QString("Request aborted")}}));
    }

    // One call at a time: the second goes when the first has timed out.
    void silentPeerTimesOutAndTheQueueMovesOn()
    {
        ScriptedServer server(httpReply(xrResponseWire("late but fine")));
        server.ignored = 1;
        XRClient client(server.url());
        client.setRequestTimeout(200);
        Outcomes& outcomes = *new Outcomes(&client);
        client.call("a", {});
        client.call("b", {});
        QVERIFY(outcomes.waitFor(2));
        QCOMPARE(outcomes.all[0].code, -32300);
        QCOMPARE(outcomes.all[0].text, QString("Request timed out"));
        QCOMPARE(outcomes.all[1].value, QVariant("late but fine"));
    }
};

QTEST_GUILESS_MAIN(TestXRClient)
#include "tst_xrclient.moc"
