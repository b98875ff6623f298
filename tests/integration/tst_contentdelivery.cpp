// Content reaching players over loopback, with the content controller and its
// registration service in this process and emulated players (tools/): a file
// pushed by FTP to the shown player, and a virtual player's content pulled
// from the batch download server, with the players' progress reports.

#include "content/batchserver.h"
#include "content/batchserverprocess.h"
#include "players/qxrkvoserver.h"

#include "../peers/contenthost.h"
#include "../peers/emulatorpeer.h"
#include "../peers/rawhttp.h"

#include <QJsonArray>
#include <QRandomGenerator>
#include <QtTest>

namespace {
const QString kFirst = "127.0.0.190";
}

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
    int m_controlPort = 0;
    QMap<QString, QByteArray> m_content;

    PlayerItem* admitted(const QString& name)
    {
        const auto ready = [&] { return m_host->players.find(name) && m_host->players.channel().outstanding() == 0; };
        return QTest::qWaitFor(ready, 10000) ? m_host->players.find(name) : nullptr;
    }
    // One call of the emulator's control channel through its command line;
    // the event loop runs meanwhile, so the controller answers the progress reports.
    QJsonValue control(const QStringList& arguments)
    {
        QProcess ctl;
        ctl.start("/usr/bin/python3", QStringList{KVO_SOURCE_DIR "/tools/kvo_player_emulator.py", "ctl", "--control",
                                                  "127.0.0.1:" + QString::number(m_controlPort)}
                                          + arguments);
        if (!QTest::qWaitFor([&] { return ctl.state() == QProcess::NotRunning; }, 60000) || ctl.exitCode() != 0) {
            qWarning() << "ctl failed:" << ctl.readAllStandardError();
            return QJsonValue();
        }
        return QJsonDocument::fromJson(ctl.readAllStandardOutput()).array().first();
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_workDir.isValid());
        // A virtual player as the controller lays it out, its list as the storage listing writes it.
        QByteArray big(3 * 1024 * 1024 + 123, Qt::Uninitialized);
        QRandomGenerator(9).fillRange(reinterpret_cast<quint32*>(big.data()), big.size() / 4);
        m_content = {{"clip (1).mpg", big}, {"logo.png", QByteArray(10000, 'p')}, {"notes.txt", "hello\n"}};
        for (auto it = m_content.cbegin(); it != m_content.cend(); ++it)
            QVERIFY(writeFile(m_repository + "/MIRRORS/Group/contents/" + it.key(), it.value()));
        QVERIFY(writeFile(m_repository + "/MIRRORS/Group/poll_contents_list", "clip (1).mpg\nlogo.png\nnotes.txt\n"));

        setRepositoryPath(m_repository);
        batchserver::setProgram(KVO_BINARY_DIR "/kvo-batch-server");
        m_service = std::make_unique<QXRKVOServer>(0, 5, nullptr, "registration", QHostAddress::LocalHost);
        QVERIFY(m_service->isListening());
        m_host = std::make_unique<ContentHost>();
        m_host->content.init();
        // Wired as at start-up.
        connect(m_service.get(), &QXRKVOServer::NewPlayerRegistration, &m_host->players, &PlayersController::AddNewPlayer);
        connect(m_service.get(), &QXRKVOServer::update_wget_progress, &m_host->content,
                &ContentController::set_wget_progress);
        QTcpSocket probe;
        QTRY_VERIFY_WITH_TIMEOUT((probe.connectToHost(QHostAddress::LocalHost, batchserver::kPort),
                                  probe.waitForConnected(200)),
                                 10000);

        m_controlPort = freePort();
        m_players = std::make_unique<EmulatorPeer>(m_workDir.filePath("emulator"));
        QVERIFY(m_players->start(m_service->serverPort(), kFirst, 1,
                                 {"--interval", "0.5", "--control", "127.0.0.1:" + QString::number(m_controlPort)}));
        QVERIFY(admitted("Emu1"));
    }
    void cleanupTestCase()
    {
        m_players.reset();
        m_host.reset();
        m_service.reset();
        batchserver::resetProgram();
        // Written out when the server stops, in the working directory.
        const QByteArray accessLog = readFile(m_workDir.filePath("access.log"));
        QVERIFY2(accessLog.contains(kFirst.toLatin1() + " ") && accessLog.contains("GET /MIRRORS/Group/contents/clip%20%281%29.mpg"),
                 accessLog.constData());
    }

    void uploadReachesTheShownPlayerWithProgressAndAbort()
    {
        QByteArray big(48 * 1024 * 1024, 'v');
        QVERIFY(writeFile(m_repository + "/promo/big.mpg", big));
        auto* folder = new QTreeWidgetItem(m_host->widgets.repositoryView, {"promo", "", "DIRECTORY"});
        auto* row = new QTreeWidgetItem(folder, {"big.mpg", "49152", "", "mpeg", "N/A"});
        m_host->choose(admitted("Emu1"));
        QVERIFY(m_host->waitIdle());
        QPushButton* abort = m_host->widgets.abortTransfer;
        abort->hide();

        QProgressBar* bar = m_host->widgets.transferBar;
        QList<int> values;
        bool abortNow = false;
        QObject scope;
        connect(bar, &QProgressBar::valueChanged, &scope, [&](int value) {
            values.append(value);
            if (abortNow && value > 0 && value < bar->maximum()) {
                abortNow = false;
                abort->click();
            }
        });
        emit m_host->widgets.repositoryView->itemDoubleClicked(row, 0);
        QVERIFY(!abort->isHidden());
        // Stored under a temporary name, then renamed.
        QTRY_COMPARE_WITH_TIMEOUT(m_players->journal("ftp", kFirst).size(), 2, 20000);
        QCOMPARE(m_players->journal("ftp", kFirst).last()["command"].toString(), "RNTO");
        QCOMPARE(m_players->journal("ftp", kFirst).last()["file"].toString(), "big.mpg");
        const QString stored = m_players->mediaDirectory(kFirst) + "/big.mpg";
        QCOMPARE(readFile(stored), big);
        QVERIFY(std::any_of(values.begin(), values.end(), [&](int value) { return value > 0 && value < bar->maximum(); }));
        // Once put, the storage is listed again.
        QTRY_VERIFY_WITH_TIMEOUT(m_host->storageRow("big.mpg"), 10000);

        QVERIFY(QFile::remove(stored));
        abortNow = true;
        emit m_host->widgets.repositoryView->itemDoubleClicked(row, 0);
        // The broken-off file is removed (tst_partialupload); nothing stands under its name.
        QTRY_COMPARE_WITH_TIMEOUT(m_players->journal("ftp", kFirst).size(), 4, 20000);
        QVERIFY(!abortNow);
        QVERIFY(!QFileInfo::exists(stored));
        QTRY_COMPARE_WITH_TIMEOUT(boxes(m_host->prompts), QStringList{"Critical | File transfer failure | Aborted"}, 10000);
        QCOMPARE(bar->value(), -1);
        m_host->prompts.messages.clear();
    }

    // The players' reports as they pull; ranges and refusals are the server's own (tst_batchserver).
    void shownPlayerPulls()
    {
        m_host->choose(admitted("Emu1"));
        QVERIFY(m_host->waitIdle());
        QSignalSpy bar(m_host->widgets.transferBar, &QProgressBar::valueChanged);
        const QJsonObject pulled = control({"pull", kFirst, "Group"}).toObject();
        QVERIFY2(pulled.value("complete").toBool() && pulled.value("report_errors").toInt() == 0,
                 QJsonDocument(pulled).toJson().constData());
        for (auto it = m_content.cbegin(); it != m_content.cend(); ++it)
            QVERIFY2(readFile(m_players->mediaDirectory(kFirst) + "/" + it.key()) == it.value(), qPrintable(it.key()));
        // The bar moved through the large file and reached 100.
        QList<int> values;
        for (const QList<QVariant>& change : std::as_const(bar))
            values.append(change.at(0).toInt());
        QVERIFY(values.contains(100) && std::any_of(values.cbegin(), values.cend(), [](int v) { return v > 0 && v < 100; }));
    }

    void serverThatCannotRunIsReported_data()
    {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QString>("box");
        QTest::newRow("launcher missing") << "/nonexistent/kvo-batch-server"
                                          << "Information | Platform dependency message | Fail starting batch "
                                             "download server.";
        // The port is the running server's.
        QTest::newRow("port taken") << KVO_BINARY_DIR "/kvo-batch-server"
                                    << "Warning | Platform dependency message | The batch download server cannot "
                                       "use port 8899: another program is using it. Players cannot pull content "
                                       "until that program is stopped and the controller is started again.";
    }
    void serverThatCannotRunIsReported()
    {
        QFETCH(QString, program);
        QFETCH(QString, box);
        m_host->prompts.messages.clear();
        batchserver::setProgram(program);
        BatchServerProcess server(&m_host->window);
        server.start(m_repository);
        QTRY_COMPARE_WITH_TIMEOUT(boxes(m_host->prompts), QStringList{box}, 10000);
        QTest::qWait(200);
        QCOMPARE(m_host->prompts.messages.size(), 1); // once
    }
};

QTEST_MAIN(TestContentDelivery)
#include "tst_contentdelivery.moc"
