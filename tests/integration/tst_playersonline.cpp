// Players on line, end to end over loopback: the window and its registration
// service in this process, the players in the emulator (tools/) at the
// players' real XML-RPC port. What the window does with registrations,
// replies and faults is tested on the window itself (tst_playerwindow), uploads
// to the players' FTP service in tst_ftptransfer; this checks that the
// controller and the players understand each other.

#include "players/playeritem.h"
#include "players/qxrkvoserver.h"
#include "ui/kvo_form.h"
#include "xmlrpc/xrclient.h"
#include "xmlrpc/xrdocuments.h"

#include "../peers/boxes.h"
#include "../peers/emulatorpeer.h"
#include "../peers/rawhttp.h"
#include "../peers/scratchdir.h"

#include <QJsonArray>
#include <QtTest>

class TestPlayersOnline : public QObject
{
    Q_OBJECT

private:
    // Destroyed in reverse order: the players first, so that no registration
    // reaches a half-gone window.
    ScratchDirectory m_workDir;
    ScriptedPrompts m_prompts;
    QXRKVOServer m_server{0, 5, nullptr, "registration", QHostAddress::LocalHost};
    kvo_Form m_form;
    QSignalSpy m_registrations{&m_server, &QXRKVOServer::NewPlayerRegistration};
    QSignalSpy m_statusLines{m_form.statusBar(), &QStatusBar::messageChanged};
    EmulatorPeer m_players{m_workDir.filePath("emulator")};

    // Waits until the window lists name and no call is outstanding.
    PlayerItem* waitForAdmission(const QString& name)
    {
        const auto found = [&] {
            const auto items = m_form.ui.Player_iconView->findItems(name, Qt::MatchExactly);
            return items.isEmpty() ? nullptr : static_cast<PlayerItem*>(items.first());
        };
        return QTest::qWaitFor([&] { return found() && m_form.commandChannel().outstanding() == 0; }, 10000)
            ? found()
            : nullptr;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_workDir.isValid() && m_server.isListening());
        // Wired as at start-up.
        connect(&m_server, &QXRKVOServer::NewPlayerRegistration, &m_form, &kvo_Form::AddNewPlayer);
    }

    void playersAreAdmittedOnceAndAnswerCommands()
    {
        const QString firmware = "Emu firmware ü 2.0";
        QVERIFY(m_players.start(m_server.serverPort(), "127.0.0.60", 2,
                                {"--interval", "0.3", "--name", "Écran ½ {n}", "--firmware", firmware,
                                 "--storage-kb", "123456"}));
        PlayerItem* first = waitForAdmission("Écran ½ 1");
        PlayerItem* second = waitForAdmission("Écran ½ 2");
        QVERIFY(first && second);
        QCOMPARE(m_form.ui.Player_iconView->count(), 2);

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
            QTRY_COMPARE_WITH_TIMEOUT(m_players.journal("call", address, "Kivo.SyncDateTime").size(), 1, 10000);
            const QString sent = m_players.journal("call", address, "Kivo.SyncDateTime")[0]["params"][0].toString();
            const QDateTime time = QDateTime::fromString(sent, "yyyyMMdd'T'hh:mm:ss");
            QVERIFY2(time.isValid() && qAbs(time.secsTo(QDateTime::currentDateTime())) <= 5, qPrintable(sent));
        }
        QStringList lines;
        for (const QList<QVariant>& signal : std::as_const(m_statusLines))
            lines.append(signal.at(0).toString());
        QCOMPARE(lines.filter(QRegularExpression("^Kivo\\.SyncDateTime command completed \\(\\d+ of \\d\\)$")).size(), 2);

        // Heartbeats refresh the same items and admit nobody again.
        QTRY_VERIFY_WITH_TIMEOUT(m_registrations.size() >= 8, 10000);
        QCOMPARE(m_players.journal("call", "127.0.0.60", "Kivo.SyncDateTime").size(), 1);
        QCOMPARE(m_players.journal("call", "127.0.0.61", "Kivo.SyncDateTime").size(), 1);
        QCOMPARE(m_form.ui.Player_iconView->count(), 2);
        QCOMPARE(waitForAdmission("Écran ½ 1"), first);
        QVERIFY(m_prompts.messages.isEmpty());

        // Replies as the players shape them.
        m_form.ui.Player_iconView->setCurrentItem(first);
        m_form.FirmwareVersion();
        m_form.GetFreeSpace(second);
        QTRY_COMPARE_WITH_TIMEOUT(second->totalSpace(), 123456, 10000);
        QVERIFY(second->availableSpace() > 0 && second->availableSpace() <= 123456);
        QTRY_COMPARE_WITH_TIMEOUT(boxes(m_prompts), QStringList{"Information | Version information | Firmware: " + firmware
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
        m_prompts.messages.clear();
        QStringList record(20, "x");
        record[0] = "Door";
        record[1] = "127.0.0.90";
        record[17] = "OFF";
        if (m_form.ui.Player_iconView->findItems("Door", Qt::MatchExactly).isEmpty())
            m_form.AddNewPlayer(record);
        QTRY_COMPARE_WITH_TIMEOUT(m_form.commandChannel().outstanding(), 0, 10000);
        m_prompts.messages.clear();

        record[0] = "DOOR";
        record[1] = "127.0.0.91";
        const QByteArray body = XRMethodCall("Kivo_SVR.registerNewPlayer", QVariant(record).toList()).toWire();
        RawClient duplicate(m_server.serverPort());
        duplicate.send("POST /RPC2 HTTP/1.1\r\nHost: controller\r\nContent-Type: text/xml\r\nContent-Length: "
                       + QByteArray::number(body.size()) + "\r\n\r\n" + body);
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
        QCOMPARE(boxes(m_prompts).first(),
                 "Warning | Duplicated Player | A new player (DOOR,127.0.0.91) is trying to connect to this server "
                 "while (Door,127.0.0.90) has already registered.\nThis connection is ignored.");
        QTest::qWait(50);
        QCOMPARE(m_server.openConnectionCount(), 0);

        // The service still answers.
        HttpMessage reply;
        RawClient next(m_server.serverPort());
        next.send("POST /RPC2 HTTP/1.1\r\nHost: controller\r\nContent-Type: text/xml\r\nContent-Length: "
                  + QByteArray::number(body.size()) + "\r\n\r\n" + body);
        QVERIFY(next.receive(reply));
        QVERIFY(reply.body.contains("<string>127.0.0.1</string>"));
        QTRY_COMPARE_WITH_TIMEOUT(m_prompts.messages.size(), 2, 10000);
    }

    // A player that closes the connection without answering gets the call
    // once: the loss is reported, never repaired by sending it again.
    void callIsSentOnceWhenThePlayerDropsTheConnection()
    {
        m_prompts.messages.clear();
        EmulatorPeer dropping(m_workDir.filePath("dropping"));
        QVERIFY(dropping.start(m_server.serverPort(), "127.0.0.80", 1,
                               {"--interval", "0.3", "--name", "Dropper", "--fault",
                                R"({"player": "*", "mode": "drop", "methods": ["Kivo.PlayALL"], "times": 1})"}));
        PlayerItem* item = waitForAdmission("Dropper");
        QVERIFY(item);
        QTRY_VERIFY_WITH_TIMEOUT(item->client() && !item->client()->hasConnection(), 10000);
        m_form.ui.Player_iconView->setCurrentItem(item);
        m_form.PlayALL();
        QTRY_COMPARE_WITH_TIMEOUT(boxes(m_prompts),
                                  QStringList{"Information | Kivo.PlayALL Error | Server closed connection unexpectedly. "
                                              "Most likely player connection was broken or player was reset just now, "
                                              "it is safe to ignore this message."},
                                  10000);
        QTest::qWait(300);
        QCOMPARE(dropping.journal("call", "127.0.0.80", "Kivo.PlayALL").size(), 1);
        QVERIFY(!item->client()->hasConnection());

        // The next call is answered as usual, on a connection of its own.
        m_form.PlayALL();
        QTRY_COMPARE_WITH_TIMEOUT(m_form.commandChannel().outstanding(), 0, 10000);
        QCOMPARE(dropping.journal("call", "127.0.0.80", "Kivo.PlayALL").size(), 2);
        QCOMPARE(m_prompts.messages.size(), 1);
        QVERIFY(!item->client()->hasConnection());
    }

    void dmzPowerDuplicatesRefusalAndSilence()
    {
        m_prompts.messages.clear();
        // Listens at the DMZ address but never registers itself.
        EmulatorPeer dmzSide(m_workDir.filePath("dmz"));
        QVERIFY(dmzSide.start(m_server.serverPort(), "127.0.0.74", 1, {"--fault", "*=heartbeat-off"}));
        EmulatorPeer twin(m_workDir.filePath("twin"));
        QVERIFY(twin.start(m_server.serverPort(), "127.0.0.72", 1,
                           {"--interval", "0.3", "--name", "Twin", "--dmz", " yes ", "--dmz-ip", "127.0.0.74",
                            "--power", "PWROFF"}));
        PlayerItem* item = waitForAdmission("Twin");
        QVERIFY(item);
        QVERIFY(!item->isOnline());
        QCOMPARE(item->ipAddress(), QString("127.0.0.72"));
        QCOMPARE(dmzSide.journal("call", "127.0.0.74", "Kivo.SyncDateTime").size(), 1);
        QVERIFY(twin.journal("call", "127.0.0.72").isEmpty());

        {
            EmulatorPeer intruder(m_workDir.filePath("intruder"));
            QVERIFY(intruder.start(m_server.serverPort(), "127.0.0.73", 1, {"--interval", "0.3", "--name", "TWIN"}));
            QTRY_VERIFY_WITH_TIMEOUT(!m_prompts.messages.isEmpty(), 10000);
            QCOMPARE(boxes(m_prompts).first(),
                     "Warning | Duplicated Player | A new player (TWIN,127.0.0.73) is trying to connect to this server "
                     "while (Twin,127.0.0.72) has already registered.\nThis connection is ignored.");
        }
        QCOMPARE(m_form.ui.Player_iconView->findItems("Twin", Qt::MatchFixedString).size(), 1);
        m_prompts.messages.clear();

        // A player that refuses its calls: the clock sync fails with the operator's text.
        EmulatorPeer shy(m_workDir.filePath("shy"));
        QVERIFY(shy.start(m_server.serverPort(), "127.0.0.75", 1, {"--name", "Shy", "--fault", "*=refuse"}));
        QTRY_COMPARE_WITH_TIMEOUT(boxes(m_prompts),
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
        QVERIFY(waitForAdmission("Twin"));
        QTRY_COMPARE_WITH_TIMEOUT(dmzSide.journal("call", "127.0.0.74", "Kivo.SyncDateTime").size(), 2, 10000);
    }
};

QTEST_MAIN(TestPlayersOnline)
#include "tst_playersonline.moc"
