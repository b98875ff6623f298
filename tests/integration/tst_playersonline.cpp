// Players on line, end to end over loopback: the window and its registration
// service in this process, the players in the emulator (tools/) at the
// players' real XML-RPC port. What the window does with registrations,
// replies and faults is tested on the window itself (tst_playerwindow), uploads
// to the players' FTP service in tst_ftptransfer; this checks that the
// controller and the players understand each other.

#include "players/playeritem.h"
#include "window/kvo_form.h"
#include "xmlrpc/xrclient.h"
#include "xmlrpc/xrdocuments.h"

#include "../peers/boxes.h"
#include "../peers/rawhttp.h"
#include "../peers/windowwithplayers.h"

#include <QJsonArray>
#include <QtTest>

class TestPlayersOnline : public QObject
{
    Q_OBJECT

private:
    WindowWithPlayers m_fleet;
    QSignalSpy m_registrations{&m_fleet.server, &QXRKVOServer::NewPlayerRegistration};
    QSignalSpy m_statusLines{m_fleet.form.statusBar(), &QStatusBar::messageChanged};

private slots:
    void initTestCase()
    {
        QVERIFY(m_fleet.isReady());
    }

    void playersAreAdmittedOnceAndAnswerCommands()
    {
        const QString firmware = "Emu firmware ü 2.0";
        QVERIFY(m_fleet.startPlayers("127.0.0.60", 2,
                                {"--interval", "0.3", "--name", "Écran ½ {n}", "--firmware", firmware,
                                 "--storage-kb", "123456"}));
        PlayerItem* first = m_fleet.waitForPlayer("Écran ½ 1");
        PlayerItem* second = m_fleet.waitForPlayer("Écran ½ 2");
        QVERIFY(first && second);
        QCOMPARE(m_fleet.form.ui.Player_iconView->count(), 2);

        // The record as the players fill it, the name in "U+" form.
        const auto nameSent = [&](const QString& address) {
            for (const QList<QVariant>& signal : std::as_const(m_registrations))
                if (signal.at(0).toStringList().value(1) == address)
                    return signal.at(0).toStringList().value(0);
            return QString();
        };
        QCOMPARE(nameSent("127.0.0.60"), QString("U+C9U+63U+72U+61U+6EU+20U+BDU+20U+31"));
        QCOMPARE(first->ipAddress(), QString("127.0.0.60"));
        QCOMPARE(second->ipAddress(), QString("127.0.0.61"));
        QCOMPARE(second->client()->url(), QUrl("http://127.0.0.61:8888/RPC2"));
        QCOMPARE(first->videoMode(), QString("VGA_1024x768x60"));
        QCOMPARE(first->lanDevice(), QString("RTL8100"));
        QCOMPARE(first->serverIp(), QString("127.0.0.1"));
        QVERIFY(first->isOnline());

        // Admission sends the controller's local time, once per player, and completes.
        for (const QString address : {"127.0.0.60", "127.0.0.61"}) {
            QTRY_COMPARE_WITH_TIMEOUT(m_fleet.players.journal("call", address, "Kivo.SyncDateTime").size(), 1, 10000);
            const QString sent = m_fleet.players.journal("call", address, "Kivo.SyncDateTime")[0]["params"][0].toString();
            const QDateTime time = QDateTime::fromString(sent, "yyyyMMdd'T'hh:mm:ss");
            QVERIFY2(time.isValid() && qAbs(time.secsTo(QDateTime::currentDateTime())) <= 5, qPrintable(sent));
        }
        QStringList lines;
        for (const QList<QVariant>& signal : std::as_const(m_statusLines))
            lines.append(signal.at(0).toString());
        QCOMPARE(lines.filter(QRegularExpression("^Kivo\\.SyncDateTime command completed \\(\\d+ of \\d\\)$")).size(), 2);

        // Heartbeats refresh the same items and admit nobody again.
        QTRY_VERIFY_WITH_TIMEOUT(m_registrations.size() >= 8, 10000);
        QCOMPARE(m_fleet.players.journal("call", "127.0.0.60", "Kivo.SyncDateTime").size(), 1);
        QCOMPARE(m_fleet.players.journal("call", "127.0.0.61", "Kivo.SyncDateTime").size(), 1);
        QCOMPARE(m_fleet.form.ui.Player_iconView->count(), 2);
        QCOMPARE(m_fleet.waitForPlayer("Écran ½ 1"), first);
        QVERIFY(m_fleet.prompts.messages.isEmpty());

        // Replies as the players shape them.
        m_fleet.form.ui.Player_iconView->setCurrentItem(first);
        m_fleet.form.FirmwareVersion();
        m_fleet.form.GetFreeSpace(second);
        QTRY_COMPARE_WITH_TIMEOUT(second->totalSpace(), 123456, 10000);
        QVERIFY(second->availableSpace() > 0 && second->availableSpace() <= 123456);
        QTRY_COMPARE_WITH_TIMEOUT(boxes(m_fleet.prompts), QStringList{"Information | Version information | Firmware: " + firmware
                                                                 + "; Server software: Generic Kivo 3.27 2010-05-28"},
                                  10000);
    }

    // The duplicate goes away while its warning is open: its connection
    // closes and is freed under the box, and the controller carries on.
    void duplicateLeavesWhileItsWarningIsOpen_data()
    {
        QTest::addColumn<bool>("abortive");
        QTest::newRow("closed") << false;
        QTest::newRow("reset") << true;
    }
    void duplicateLeavesWhileItsWarningIsOpen()
    {
        QFETCH(bool, abortive);
        m_fleet.prompts.messages.clear();
        QStringList record(20, "x");
        record[0] = "Door";
        record[1] = "127.0.0.90";
        record[17] = "OFF";
        if (m_fleet.form.ui.Player_iconView->findItems("Door", Qt::MatchExactly).isEmpty())
            m_fleet.form.AddNewPlayer(record);
        QTRY_COMPARE_WITH_TIMEOUT(m_fleet.form.commandChannel().outstanding(), 0, 10000);
        m_fleet.prompts.messages.clear();

        record[0] = "DOOR";
        record[1] = "127.0.0.91";
        const QByteArray body = XRMethodCall("Kivo_SVR.registerNewPlayer", QVariant(record).toList()).toWire();
        RawClient duplicate(m_fleet.server.serverPort());
        duplicate.send("POST /RPC2 HTTP/1.1\r\nHost: controller\r\nContent-Type: text/xml\r\nContent-Length: "
                       + QByteArray::number(body.size()) + "\r\n\r\n" + body);
        QElapsedTimer freed;
        m_fleet.prompts.answerWhen = [&] {
            if (duplicate.socket.state() != QAbstractSocket::UnconnectedState) {
                if (abortive)
                    duplicate.socket.abort();
                else
                    duplicate.socket.disconnectFromHost();
            }
            if (m_fleet.server.openConnectionCount() > 0)
                return false;
            if (!freed.isValid())
                freed.start();
            return freed.elapsed() > 100;
        };
        QTRY_COMPARE_WITH_TIMEOUT(m_fleet.prompts.messages.size(), 1, 10000);
        m_fleet.prompts.answerWhen = {};
        QCOMPARE(boxes(m_fleet.prompts).first(),
                 "Warning | Duplicated Player | A new player (DOOR,127.0.0.91) is trying to connect to this server "
                 "while (Door,127.0.0.90) has already registered.\nThis connection is ignored.");
        QTest::qWait(50);
        QCOMPARE(m_fleet.server.openConnectionCount(), 0);

        // The service still answers.
        HttpMessage reply;
        RawClient next(m_fleet.server.serverPort());
        next.send("POST /RPC2 HTTP/1.1\r\nHost: controller\r\nContent-Type: text/xml\r\nContent-Length: "
                  + QByteArray::number(body.size()) + "\r\n\r\n" + body);
        QVERIFY(next.receive(reply));
        QVERIFY(reply.body.contains("<string>127.0.0.1</string>"));
        QTRY_COMPARE_WITH_TIMEOUT(m_fleet.prompts.messages.size(), 2, 10000);
    }

    // A player that closes the connection without answering gets the call
    // once: the loss is reported, never repaired by sending it again.
    void callIsSentOnceWhenThePlayerDropsTheConnection()
    {
        m_fleet.prompts.messages.clear();
        EmulatorPeer dropping(m_fleet.workDir.filePath("dropping"));
        QVERIFY(dropping.start(m_fleet.server.serverPort(), "127.0.0.80", 1,
                               {"--interval", "0.3", "--name", "Dropper", "--fault",
                                R"({"player": "*", "mode": "drop", "methods": ["Kivo.PlayALL"], "times": 1})"}));
        PlayerItem* item = m_fleet.waitForPlayer("Dropper");
        QVERIFY(item);
        QTRY_VERIFY_WITH_TIMEOUT(item->client() && !item->client()->hasConnection(), 10000);
        m_fleet.form.ui.Player_iconView->setCurrentItem(item);
        m_fleet.form.PlayALL();
        QTRY_COMPARE_WITH_TIMEOUT(boxes(m_fleet.prompts),
                                  QStringList{"Information | Kivo.PlayALL Error | Server closed connection unexpectedly. "
                                              "Most likely player connection was broken or player was reset just now, "
                                              "it is safe to ignore this message."},
                                  10000);
        QTest::qWait(300);
        QCOMPARE(dropping.journal("call", "127.0.0.80", "Kivo.PlayALL").size(), 1);
        QVERIFY(!item->client()->hasConnection());

        // The next call is answered as usual, on a connection of its own.
        m_fleet.form.PlayALL();
        QTRY_COMPARE_WITH_TIMEOUT(m_fleet.form.commandChannel().outstanding(), 0, 10000);
        QCOMPARE(dropping.journal("call", "127.0.0.80", "Kivo.PlayALL").size(), 2);
        QCOMPARE(m_fleet.prompts.messages.size(), 1);
        QVERIFY(!item->client()->hasConnection());
    }

    void dmzPowerDuplicatesRefusalAndSilence()
    {
        m_fleet.prompts.messages.clear();
        // Listens at the DMZ address but never registers itself.
        EmulatorPeer dmzSide(m_fleet.workDir.filePath("dmz"));
        QVERIFY(dmzSide.start(m_fleet.server.serverPort(), "127.0.0.74", 1, {"--fault", "*=heartbeat-off"}));
        EmulatorPeer twin(m_fleet.workDir.filePath("twin"));
        QVERIFY(twin.start(m_fleet.server.serverPort(), "127.0.0.72", 1,
                           {"--interval", "0.3", "--name", "Twin", "--dmz", " yes ", "--dmz-ip", "127.0.0.74",
                            "--power", "PWROFF"}));
        PlayerItem* item = m_fleet.waitForPlayer("Twin");
        QVERIFY(item);
        QVERIFY(!item->isOnline());
        QCOMPARE(item->ipAddress(), QString("127.0.0.72"));
        QCOMPARE(dmzSide.journal("call", "127.0.0.74", "Kivo.SyncDateTime").size(), 1);
        QVERIFY(twin.journal("call", "127.0.0.72").isEmpty());

        {
            EmulatorPeer intruder(m_fleet.workDir.filePath("intruder"));
            QVERIFY(intruder.start(m_fleet.server.serverPort(), "127.0.0.73", 1, {"--interval", "0.3", "--name", "TWIN"}));
            QTRY_VERIFY_WITH_TIMEOUT(!m_fleet.prompts.messages.isEmpty(), 10000);
            QCOMPARE(boxes(m_fleet.prompts).first(),
                     "Warning | Duplicated Player | A new player (TWIN,127.0.0.73) is trying to connect to this server "
                     "while (Twin,127.0.0.72) has already registered.\nThis connection is ignored.");
        }
        QCOMPARE(m_fleet.form.ui.Player_iconView->findItems("Twin", Qt::MatchFixedString).size(), 1);
        m_fleet.prompts.messages.clear();

        // A player that refuses its calls: the clock sync fails with the operator's text.
        EmulatorPeer shy(m_fleet.workDir.filePath("shy"));
        QVERIFY(shy.start(m_fleet.server.serverPort(), "127.0.0.75", 1, {"--name", "Shy", "--fault", "*=refuse"}));
        QTRY_COMPARE_WITH_TIMEOUT(boxes(m_fleet.prompts),
                                  QStringList{"Information | Kivo.SyncDateTime Error | Connection refused. The player "
                                              "is not ready yet. It it safe to ignore this message."},
                                  10000);

        // Silent for more than 20 s by the items' clock: removed, then admitted anew on its next heartbeat.
        const QDateTime later = QDateTime::currentDateTime().addSecs(25);
        PlayerItem::setClock([later] { return later; });
        QSignalSpy gone(item, &QObject::destroyed);
        item->check_last_active_time();
        QCOMPARE(gone.size(), 1);
        QVERIFY(m_statusLines.contains(QVariantList{"Player Twin goes offline!"}));
        PlayerItem::setClock({});
        QVERIFY(m_fleet.waitForPlayer("Twin"));
        QTRY_COMPARE_WITH_TIMEOUT(dmzSide.journal("call", "127.0.0.74", "Kivo.SyncDateTime").size(), 2, 10000);
    }
};

QTEST_MAIN(TestPlayersOnline)
#include "tst_playersonline.moc"
