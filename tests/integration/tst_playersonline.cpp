// The service and controller in this process and the emulator's players (tools/) understand each other.

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
    QListWidget m_view;
    PlayersController m_players{&m_view, &m_view};

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid() && m_server.isListening());
        connect(&m_server, &QXRKVOServer::NewPlayerRegistration, &m_players, &PlayersController::AddNewPlayer);
    }
    void cleanup() { m_prompts.messages.clear(); }

    // The duplicate goes away while its warning is open: its connection closes and is freed under the
    // box, and its answer goes to nobody (the service carries on: the players below register).
    void duplicateLeavesWhileItsWarningIsOpen_data()
    {
        QTest::addColumn<bool>("abortive");
        QTest::newRow("closed") << false;
        QTest::newRow("reset") << true;
    }
    void duplicateLeavesWhileItsWarningIsOpen()
    {
        QFETCH(bool, abortive);
        QStringList record{"Door", "127.0.60.90"};
        record.resize(20);
        m_players.AddNewPlayer(record);
        QTRY_COMPARE_WITH_TIMEOUT(m_players.channel().outstanding(), 0, 10000);
        m_prompts.messages.clear();

        record[0] = "DOOR";
        record[1] = "127.0.60.91";
        const QByteArray body = XRMethodCall("Kivo_SVR.registerNewPlayer", QVariant(record).toList()).toWire();
        RawClient duplicate(m_server.serverPort());
        duplicate.send("POST /RPC2 HTTP/1.1\r\nContent-Length: " + QByteArray::number(body.size()) + "\r\n\r\n" + body);
        m_prompts.answerWhen = [&] {
            abortive ? duplicate.socket.abort() : duplicate.socket.disconnectFromHost();
            return m_server.openConnectionCount() == 0;
        };
        QTRY_COMPARE_WITH_TIMEOUT(m_prompts.messages.size(), 1, 10000);
        m_prompts.answerWhen = {};
        QCOMPARE(m_server.openConnectionCount(), 0);
        m_players.delete_player(m_players.find("Door"));
    }

    void playersAreAdmittedOnceAndAnswerCommands()
    {
        EmulatorPeer emulator(m_dir.filePath("emulator"));
        // The second drops the connection of its first firmware call.
        QVERIFY(emulator.start(m_server.serverPort(), "127.0.60.1", 2,
                               {"--interval", "0.3", "--name", "Écran ½ {n}", "--firmware", "Emu ü 2.0",
                                "--storage-kb", "123456", "--fault",
                                R"({"player": "127.0.60.2", "mode": "drop", "methods": ["Kivo.FirmwareVersion"]})"}));
        QTRY_VERIFY_WITH_TIMEOUT(m_players.find("Écran ½ 1") && m_players.find("Écran ½ 2"), 10000);
        PlayerItem* first = m_players.find("Écran ½ 1");
        PlayerItem* second = m_players.find("Écran ½ 2");
        QTRY_COMPARE_WITH_TIMEOUT(emulator.journal("call", "127.0.60.1", "Kivo.SyncDateTime").size(), 1, 10000);
        const QJsonObject sync = emulator.journal("call", "127.0.60.1", "Kivo.SyncDateTime")[0];
        const QDateTime sent = QDateTime::fromString(sync["params"][0].toString(), "yyyyMMdd'T'hh:mm:ss");
        QVERIFY(sent.isValid() && qAbs(sent.secsTo(QDateTime::currentDateTime())) <= 5);

        // Replies as the players shape them; a dropped call is reported, never repaired by sending it again.
        m_players.GetFreeSpace(second);
        QTRY_COMPARE_WITH_TIMEOUT(second->totalSpace(), 123456, 10000);
        QVERIFY(second->availableSpace() > 0 && second->availableSpace() <= 123456);
        m_players.FirmwareVersion(first);
        QTRY_COMPARE_WITH_TIMEOUT(m_prompts.messages.size(), 1, 10000);
        QVERIFY(m_prompts.messages[0].text.startsWith("Firmware: Emu ü 2.0;"));
        m_players.FirmwareVersion(second);
        QTRY_COMPARE_WITH_TIMEOUT(m_prompts.messages.size(), 2, 10000);
        QCOMPARE(m_prompts.messages[1].title, "Kivo.FirmwareVersion Error");
        QTest::qWait(300);
        QCOMPARE(emulator.journal("call", "127.0.60.2", "Kivo.FirmwareVersion").size(), 1);
        QVERIFY(!second->client()->hasConnection());
    }
};

QTEST_MAIN(TestPlayersOnline)
#include "tst_playersonline.moc"
