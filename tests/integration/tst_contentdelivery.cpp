// Content reaching an emulated player over loopback, with the content controller
// and its registration service in this process, and its batch download server.

#include "content/batchserver.h"
#include "content/batchserverprocess.h"
#include "core/ftptransfer.h"
#include "players/qxrkvoserver.h"

#include "../peers/contenthost.h"
#include "../peers/emulatorpeer.h"

#include <QJsonObject>
#include <QtTest>

const QString kFirst = "127.0.0.190";

class TestContentDelivery : public QObject
{
    Q_OBJECT

private:
    // Destroyed in reverse order: the players first, then the controller (and its server).
    ScratchDirectory m_workDir;
    QString m_repository = m_workDir.filePath("repository");
    std::unique_ptr<QXRKVOServer> m_service;
    std::unique_ptr<ContentHost> m_host;
    std::unique_ptr<EmulatorPeer> m_players;

    PlayerItem* admitted(const QString& name)
    {
        const auto ready = [&] { return m_host->players.find(name) && m_host->players.channel().outstanding() == 0; };
        return QTest::qWaitFor(ready, 10000) ? m_host->players.find(name) : nullptr;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(QDir().mkpath(m_repository));
        setRepositoryPath(m_repository);
        batchserver::setProgram(KVO_BINARY_DIR "/kvo-batch-server");
        m_service = std::make_unique<QXRKVOServer>(0, 5, nullptr, "registration", QHostAddress::LocalHost);
        m_host = std::make_unique<ContentHost>();
        m_host->content.init();
        connect(m_service.get(), &QXRKVOServer::NewPlayerRegistration, &m_host->players, &PlayersController::AddNewPlayer);
        QTcpSocket probe;
        QTRY_VERIFY_WITH_TIMEOUT((probe.connectToHost(QHostAddress::LocalHost, batchserver::kPort),
                                  probe.waitForConnected(200)),
                                 10000);

        m_players = std::make_unique<EmulatorPeer>(m_workDir.filePath("emulator"));
        QVERIFY(m_players->start(m_service->serverPort(), kFirst, 4, {"--interval", "0.5"}));
        for (const char* name : {"Emu1", "Emu2", "Emu3", "Emu4"})
            QVERIFY(admitted(name));
    }
    void cleanupTestCase()
    {
        m_players.reset();
        m_host.reset();
        m_service.reset();
        batchserver::resetProgram();
    }

    void uploadReachesTheShownPlayerAndAborts()
    {
        QByteArray big(48 * 1024 * 1024, 'v');
        QVERIFY(writeFile(m_repository + "/promo/big.mpg", big));
        auto* folder = new QTreeWidgetItem(m_host->widgets.repositoryView, {"promo", "", "DIRECTORY"});
        auto* row = new QTreeWidgetItem(folder, {"big.mpg", "49152", "", "mpeg", "N/A"});
        m_host->choose(admitted("Emu1"));
        QVERIFY(m_host->waitIdle());
        emit m_host->widgets.repositoryView->itemDoubleClicked(row, 0);
        // Stored under a temporary name, then renamed.
        QTRY_COMPARE_WITH_TIMEOUT(m_players->journal("ftp", kFirst).size(), 2, 20000);
        QCOMPARE(m_players->journal("ftp", kFirst).last()["command"].toString(), "RNTO");
        const QString stored = m_players->mediaDirectory(kFirst) + "/big.mpg";
        QCOMPARE(readFile(stored), big);
        QTRY_VERIFY_WITH_TIMEOUT(m_host->storageRow("big.mpg"), 10000);

        // Aborted half-way: the failure is told and the bar reset.
        QVERIFY(QFile::remove(stored));
        QProgressBar* bar = m_host->widgets.transferBar;
        bool aborted = false;
        QObject scope;
        connect(bar, &QProgressBar::valueChanged, &scope, [&](int value) {
            if (!aborted && value > 0 && value < bar->maximum()) {
                aborted = true;
                m_host->widgets.abortTransfer->click();
            }
        });
        emit m_host->widgets.repositoryView->itemDoubleClicked(row, 0);
        QTRY_COMPARE_WITH_TIMEOUT(m_players->journal("ftp", kFirst).size(), 4, 20000);
        QVERIFY(aborted);
        // The broken-off file is removed: nothing stands under its name.
        QVERIFY(!QFileInfo::exists(stored));
        QTRY_COMPARE_WITH_TIMEOUT(boxes(m_host->prompts), QStringList{"Critical | File transfer failure | Aborted"}, 10000);
        QCOMPARE(bar->value(), -1);
        m_host->prompts.messages.clear();
    }

    // With several players selected the file reaches each of them once, the bar follows the batch,
    // and one summary ends it.
    void fileReachesEverySelectedPlayerOnce()
    {
        const QByteArray clip(3 * 1024 * 1024, 'c');
        QVERIFY(writeFile(m_repository + "/clip.mpg", clip));
        auto* row = new QTreeWidgetItem(m_host->widgets.repositoryView, {"clip.mpg", "3072", "", "mpeg", "N/A"});
        const qsizetype unselectedJournal = m_players->journal("ftp", kFirst).size();
        m_host->playersView->clearSelection();
        for (const char* name : {"Emu2", "Emu3", "Emu4"})
            m_host->players.find(name)->setSelected(true);
        QProgressBar* bar = m_host->widgets.transferBar;
        QStringList shown; // at the start, then as each upload has ended
        QObject scope;
        connect(bar, &QProgressBar::valueChanged, &scope, [&] {
            if (shown.isEmpty())
                shown.append(bar->text());
        });
        QSignalSpy status(&m_host->players, &PlayersController::statusMessage);

        emit m_host->widgets.repositoryView->itemDoubleClicked(row, 0);
        // Heard after the batch has counted each end.
        for (const char* name : {"Emu2", "Emu3", "Emu4"})
            connect(m_host->players.find(name)->ftp(), &FtpTransfer::done, &scope,
                    [&] { shown.append(bar->text().section(',', 0, 0)); });
        QCOMPARE(m_host->widgets.transferLabel->text(), "Transfer file (clip.mpg)");
        QTRY_VERIFY_WITH_TIMEOUT(!status.isEmpty(), 30000);
        QCOMPARE(status.last().first().toString(), "File transfer of clip.mpg: 3 of 3 done");
        for (const QString address : {"127.0.0.191", "127.0.0.192", "127.0.0.193"}) {
            QStringList commands;
            for (const QJsonObject& record : m_players->journal("ftp", address))
                commands.append(record["command"].toString());
            QCOMPARE(commands, (QStringList{"STOR", "RNTO"}));
            QCOMPARE(readFile(m_players->mediaDirectory(address) + "/clip.mpg"), clip);
        }
        QCOMPARE(m_players->journal("ftp", kFirst).size(), unselectedJournal);
        // The last end resets the bar.
        QCOMPARE(shown, (QStringList{"0 of 3 players, 0 %", "1 of 3 players", "2 of 3 players", ""}));
        QVERIFY(m_host->prompts.messages.isEmpty());

        // A player that goes during the batch fails and holds up nobody.
        status.clear();
        emit m_host->widgets.repositoryView->itemDoubleClicked(row, 0);
        m_host->players.delete_player(m_host->players.find("Emu3"));
        QTRY_VERIFY_WITH_TIMEOUT(status.contains(QVariantList{"File transfer of clip.mpg: 2 of 3 done; Emu3: went offline"}),
                                 30000);
        for (const QString address : {"127.0.0.191", "127.0.0.193"})
            QCOMPARE(m_players->journal("ftp", address).size(), 4);
        m_host->prompts.messages.clear();
        QVERIFY(admitted("Emu3"));
    }

    // The port is the running server's.
    void serverThatCannotRunIsReported()
    {
        m_host->prompts.messages.clear();
        batchserver::setProgram(KVO_BINARY_DIR "/kvo-batch-server");
        BatchServerProcess server(&m_host->window);
        server.start(m_repository);
        QTRY_COMPARE_WITH_TIMEOUT(boxes(m_host->prompts),
                                  QStringList{"Warning | Platform dependency message | The batch download server cannot "
                                              "use port 8899: another program is using it. Players cannot pull content "
                                              "until that program is stopped and the controller is started again."},
                                  10000);
        QTest::qWait(200);
        QCOMPARE(m_host->prompts.messages.size(), 1); // once
    }
};

QTEST_MAIN(TestContentDelivery)
#include "tst_contentdelivery.moc"
