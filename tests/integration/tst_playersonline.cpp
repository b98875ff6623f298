// Players on line over loopback: the registration service and the players
// controller in this process, the players in the emulator (tools/) at the
// players' real XML-RPC port. The rules and texts are tested in
// tst_playerscontroller; this checks that the controller and an independent
// player understand each other, and that a peer's own misbehaviour is survived.

#include "players/commandchannel.h"
#include "players/playeritem.h"
#include "players/playerscontroller.h"
#include "players/qxrkvoserver.h"
#include "xmlrpc/xrclient.h"
#include "xmlrpc/xrdocuments.h"

#include "../peers/emulatorpeer.h"
#include "../peers/rawhttp.h"
#include "../peers/scratchdir.h"
#include "../peers/scriptedprompts.h"

#include <QtTest>

class TestPlayersOnline : public QObject
{
    Q_OBJECT

private:
    ScratchDirectory m_dir;
    ScriptedPrompts m_prompts;
    QXRKVOServer m_server{0, 5, nullptr, "registration", QHostAddress::LocalHost};
    QWidget m_window;
    QListWidget* m_view = new QListWidget(&m_window);
    PlayersController m_players{m_view, &m_window};
    QSignalSpy m_registrations{&m_server, &QXRKVOServer::NewPlayerRegistration};
    QSignalSpy m_status{&m_players, &PlayersController::statusMessage};

    PlayerItem* waitForPlayer(const QString& name)
    {
        const bool listed =
            QTest::qWaitFor([&] { return m_players.find(name) && m_players.channel().outstanding() == 0; }, 10000);
        return listed ? m_players.find(name) : nullptr;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid() && m_server.isListening());
        connect(&m_server, &QXRKVOServer::NewPlayerRegistration, &m_players, &PlayersController::AddNewPlayer);
    }
    void cleanup()
    {
        m_prompts.messages.clear();
    }

    void playersAreAdmittedOnceAndAnswerCommands()
    {
        EmulatorPeer emulator(m_dir.filePath("emulator"));
        const QString firmware = "Emu firmware ü 2.0";
        QVERIFY(emulator.start(m_server.serverPort(), "127.0.60.1", 2,
                               {"--interval", "0.3", "--name", "Écran ½ {n}", "--firmware", firmware,
                                "--storage-kb", "123456"}));
        PlayerItem* first = waitForPlayer("Écran ½ 1");
        PlayerItem* second = waitForPlayer("Écran ½ 2");
        QVERIFY(first && second);

        // The record as the players fill it, the name in "U+" form.
        QCOMPARE(m_registrations.first().at(0).toStringList().value(0).left(10), QString("U+C9U+63U+"));
        QCOMPARE(second->ipAddress(), QString("127.0.60.2"));
        QCOMPARE(second->client()->url(), QUrl("http://127.0.60.2:8888/RPC2"));
        QCOMPARE(first->videoMode(), QString("VGA_1024x768x60"));
        QCOMPARE(first->serverIp(), QString("127.0.0.1"));

        // Admission sends the controller's local time, once per player, and completes.
        for (const QString address : {"127.0.60.1", "127.0.60.2"}) {
            QTRY_COMPARE_WITH_TIMEOUT(emulator.journal("call", address, "Kivo.SyncDateTime").size(), 1, 10000);
            const QString sent = emulator.journal("call", address, "Kivo.SyncDateTime")[0]["params"][0].toString();
            const QDateTime time = QDateTime::fromString(sent, "yyyyMMdd'T'hh:mm:ss");
            QVERIFY2(time.isValid() && qAbs(time.secsTo(QDateTime::currentDateTime())) <= 5, qPrintable(sent));
        }
        QVERIFY(std::any_of(m_status.begin(), m_status.end(), [](const QList<QVariant>& signal) {
            return signal.at(0).toString().startsWith("Kivo.SyncDateTime command completed (");
        }));

        // Heartbeats refresh the same items and admit nobody again.
        QTRY_VERIFY_WITH_TIMEOUT(m_registrations.size() >= 8, 10000);
        QCOMPARE(emulator.journal("call", "127.0.60.1", "Kivo.SyncDateTime").size(), 1);
        QCOMPARE(m_view->count(), 2);
        QCOMPARE(waitForPlayer("Écran ½ 1"), first);

        // Replies as the players shape them.
        m_players.FirmwareVersion(first);
        m_players.GetFreeSpace(second);
        QTRY_COMPARE_WITH_TIMEOUT(second->totalSpace(), 123456, 10000);
        QVERIFY(second->availableSpace() > 0 && second->availableSpace() <= 123456);
        QTRY_COMPARE_WITH_TIMEOUT(m_prompts.messages.size(), 1, 10000);
        QVERIFY(m_prompts.messages[0].text.startsWith("Firmware: " + firmware + ";"));
    }

    // The duplicate goes away while its warning is open: its connection
    // closes and is freed under the box, and the service carries on.
    void duplicateLeavesWhileItsWarningIsOpen_data()
    {
        QTest::addColumn<bool>("abortive");
        QTest::newRow("closed") << false;
        QTest::newRow("reset") << true;
    }
    void duplicateLeavesWhileItsWarningIsOpen()
    {
        QFETCH(bool, abortive);
        QStringList record(20, "x");
        record[0] = "Door";
        record[1] = "127.0.60.90";
        record[17] = "OFF";
        if (!m_players.find("Door"))
            m_players.AddNewPlayer(record);
        QTRY_COMPARE_WITH_TIMEOUT(m_players.channel().outstanding(), 0, 10000);
        m_prompts.messages.clear();

        record[0] = "DOOR";
        record[1] = "127.0.60.91";
        const QByteArray body = XRMethodCall("Kivo_SVR.registerNewPlayer", QVariant(record).toList()).toWire();
        const QByteArray request = "POST /RPC2 HTTP/1.1\r\nHost: controller\r\nContent-Type: text/xml\r\n"
                                   "Content-Length: " + QByteArray::number(body.size()) + "\r\n\r\n" + body;
        RawClient duplicate(m_server.serverPort());
        duplicate.send(request);
        QElapsedTimer freed;
        m_prompts.answerWhen = [&] {
            if (duplicate.socket.state() != QAbstractSocket::UnconnectedState) {
                if (abortive)
                    duplicate.socket.abort();
                else
                    duplicate.socket.disconnectFromHost();
            }
            if (m_server.openConnectionCount() > 0)
                return false;
            if (!freed.isValid())
                freed.start();
            return freed.elapsed() > 100;
        };
        QTRY_COMPARE_WITH_TIMEOUT(m_prompts.messages.size(), 1, 10000);
        m_prompts.answerWhen = {};
        QCOMPARE(m_prompts.messages[0].title, "Duplicated Player");
        QCOMPARE(m_server.openConnectionCount(), 0);

        // The service still answers.
        HttpMessage reply;
        RawClient next(m_server.serverPort());
        next.send(request);
        QVERIFY(next.receive(reply));
        QVERIFY(reply.body.contains("<string>127.0.0.1</string>"));
    }

    // A player that closes the connection without answering gets the call
    // once: the loss is reported, never repaired by sending it again.
    void callIsSentOnceWhenThePlayerDropsTheConnection()
    {
        EmulatorPeer dropping(m_dir.filePath("dropping"));
        QVERIFY(dropping.start(m_server.serverPort(), "127.0.60.80", 1,
                               {"--interval", "0.3", "--name", "Dropper", "--fault",
                                R"({"player": "*", "mode": "drop", "methods": ["Kivo.FirmwareVersion"], "times": 1})"}));
        PlayerItem* item = waitForPlayer("Dropper");
        QVERIFY(item);
        m_players.FirmwareVersion(item);
        QTRY_COMPARE_WITH_TIMEOUT(m_prompts.messages.size(), 1, 10000);
        QCOMPARE(m_prompts.messages[0].title, "Kivo.FirmwareVersion Error");
        QTest::qWait(300);
        QCOMPARE(dropping.journal("call", "127.0.60.80", "Kivo.FirmwareVersion").size(), 1);
        QVERIFY(!item->client()->hasConnection());
    }
};

QTEST_MAIN(TestPlayersOnline)
#include "tst_playersonline.moc"
