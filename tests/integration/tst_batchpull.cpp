// Group content delivery end to end over loopback: the window, its
// registration service and the batch download server in this process's care,
// emulated players (tools/) pulling a virtual player's content from port 8899
// and reporting their progress.

#include "core/repositorypath.h"
#include "content/batchserver.h"
#include "players/playeritem.h"
#include "players/qxrkvoserver.h"
#include "players/commandchannel.h"
#include "players/playerscontroller.h"
#include "window/kvo_form.h"

#include "../peers/boxes.h"
#include "../peers/emulatorpeer.h"
#include "../peers/scratchdir.h"

#include <QJsonArray>
#include <QRandomGenerator>
#include <QtTest>

namespace {

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return QDir().mkpath(QFileInfo(path).path()) && file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

int freePort()
{
    QTcpServer probe;
    return probe.listen(QHostAddress::LocalHost, 0) ? probe.serverPort() : 0;
}

} // namespace

class TestBatchPull : public QObject
{
    Q_OBJECT

private:
    // Destroyed in reverse order: the players first, then the window (and its server).
    ScratchDirectory m_workDir;
    ScriptedPrompts m_prompts;
    QString m_repository = m_workDir.filePath("repository");
    std::unique_ptr<QXRKVOServer> m_service;
    std::unique_ptr<kvo_Form> m_form;
    std::unique_ptr<EmulatorPeer> m_players;
    int m_controlPort = 0;
    QMap<QString, QByteArray> m_content;

    PlayerItem* waitForAdmission(const QString& name)
    {
        const auto found = [&] {
            const auto items = m_form->ui.Player_iconView->findItems(name, Qt::MatchExactly);
            return items.isEmpty() ? nullptr : static_cast<PlayerItem*>(items.first());
        };
        return QTest::qWaitFor([&] { return found() && m_form->commandChannel().outstanding() == 0; }, 10000)
            ? found()
            : nullptr;
    }

    // One call of the emulator's control channel through its command line;
    // the event loop runs meanwhile, so the window answers the progress reports.
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
        m_prompts.nestedLoopMs = 20;
        // A virtual player as the window lays it out, its list as the storage listing writes it.
        QByteArray big(3 * 1024 * 1024 + 123, Qt::Uninitialized);
        QRandomGenerator generator(9);
        generator.fillRange(reinterpret_cast<quint32*>(big.data()), big.size() / 4);
        m_content = {{"clip (1).mpg", big}, {"logo.png", QByteArray(10000, 'p')}, {"notes.txt", "hello\n"}};
        for (auto it = m_content.cbegin(); it != m_content.cend(); ++it)
            QVERIFY(writeFile(m_repository + "/MIRRORS/Group/contents/" + it.key(), it.value()));
        QVERIFY(writeFile(m_repository + "/MIRRORS/Group/poll_contents_list", "clip (1).mpg\nlogo.png\nnotes.txt\n"));

        setRepositoryPath(m_repository);
        batchserver::setProgram(KVO_BINARY_DIR "/kvo-batch-server");
        m_service = std::make_unique<QXRKVOServer>(0, 5, nullptr, "registration", QHostAddress::LocalHost);
        QVERIFY(m_service->isListening());
        m_form = std::make_unique<kvo_Form>();
        // Wired as at start-up.
        connect(m_service.get(), &QXRKVOServer::NewPlayerRegistration, m_form->players(), &PlayersController::AddNewPlayer);
        connect(m_service.get(), &QXRKVOServer::update_wget_progress, m_form.get(), &kvo_Form::set_wget_progress);
        QTcpSocket probe;
        QTRY_VERIFY_WITH_TIMEOUT((probe.connectToHost(QHostAddress::LocalHost, batchserver::kPort),
                                  probe.waitForConnected(200)),
                                 10000);

        m_controlPort = freePort();
        m_players = std::make_unique<EmulatorPeer>(m_workDir.filePath("emulator"));
        QVERIFY(m_players->start(m_service->serverPort(), "127.0.0.190", 2,
                                 {"--interval", "0.5", "--control", "127.0.0.1:" + QString::number(m_controlPort)}));
    }
    void cleanupTestCase()
    {
        m_players.reset();
        m_form.reset();
        m_service.reset();
        batchserver::resetProgram();
        // Written out when the server stops, in the working directory.
        const QByteArray accessLog = readFile(m_workDir.filePath("access.log"));
        QVERIFY2(accessLog.contains("127.0.0.190 ") && accessLog.contains("GET /MIRRORS/Group/contents/clip%20%281%29.mpg")
                     && accessLog.contains("\" 206 "),
                 accessLog.constData());
    }

    void selectedPlayerPullsInterruptedAndResumed()
    {
        PlayerItem* player = waitForAdmission("Emu1");
        QVERIFY(player && waitForAdmission("Emu2"));
        m_form->ui.Player_iconView->setCurrentItem(player);
        QVERIFY(player->isSelected());
        QSignalSpy bar(m_form->ui.Xfer_progressBar, &QProgressBar::valueChanged);
        QSignalSpy status(m_form->statusBar(), &QStatusBar::messageChanged);
        const int refreshesBefore = int(m_players->journal("call", "127.0.0.190", "Kivo.GetMediaFileList").size());

        // Interrupted in the middle of the large file: it stays partial, unlisted.
        const QJsonObject first = control({"pull", "127.0.0.190", "Group", R"({"stop_after": 1000000})"}).toObject();
        QVERIFY2(first.value("interrupted").toBool() && !first.value("complete").toBool(),
                 QJsonDocument(first).toJson().constData());
        const QString media = m_players->mediaDirectory("127.0.0.190");
        QCOMPARE(QFileInfo(media + "/.clip (1).mpg.part").size(), 1000000);
        QVERIFY(!QFile::exists(media + "/clip (1).mpg"));
        QCOMPARE(m_form->ui.xfer_filename_textLabel->text(), QString("Transfer file (clip (1).mpg)"));

        // Resumed with a range: only the rest travels.
        const QJsonObject second = control({"pull", "127.0.0.190", "Group"}).toObject();
        QVERIFY2(second.value("complete").toBool(), QJsonDocument(second).toJson().constData());
        const QJsonObject resumed = second.value("files").toArray().first().toObject();
        QCOMPARE(resumed.value("status").toInt(), 206);
        QCOMPARE(resumed.value("offset").toInt(), 1000000);
        QCOMPARE(resumed.value("bytes").toInt(), m_content["clip (1).mpg"].size() - 1000000);
        for (auto it = m_content.cbegin(); it != m_content.cend(); ++it)
            QVERIFY2(readFile(media + "/" + it.key()) == it.value(), qPrintable(it.key()));

        // The bar moved through the large file and reached 100; the label names the last file.
        QList<int> values;
        for (const QList<QVariant>& change : std::as_const(bar))
            values.append(change.at(0).toInt());
        QVERIFY2(values.contains(100) && std::any_of(values.cbegin(), values.cend(), [](int v) { return v > 0 && v < 100; }),
                 qPrintable(QString::number(values.size())));
        QCOMPARE(m_form->ui.xfer_filename_textLabel->text(), QString("Transfer file (notes.txt)"));
        QVERIFY(std::any_of(status.cbegin(), status.cend(), [](const QList<QVariant>& line) {
            return line.at(0).toString().startsWith("clip (1).mpg ") && line.at(0).toString().endsWith("100%");
        }));
        // Each 100% report refreshed the player (storage and playlist listed again).
        QTRY_VERIFY_WITH_TIMEOUT(m_players->journal("call", "127.0.0.190", "Kivo.GetMediaFileList").size()
                                     >= refreshesBefore + 3,
                                 10000);

        // The operator's rename of an escaped name reaches the player.
        QString from = "clip (1).mpg", to = "clip one.mpg";
        m_form->RenameContentFile(from, to);
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(media + "/clip one.mpg"), 10000);
        const QList<QJsonObject> renames = m_players->journal("call", "127.0.0.190", "Kivo.RenameContentFile");
        QCOMPARE(renames.size(), 1);
        QCOMPARE(renames.first().value("params").toArray(), QJsonArray({"clip (1).mpg", "clip one.mpg"}));
    }

    void unselectedPlayerChangesNothingOnScreen()
    {
        const QString label = m_form->ui.xfer_filename_textLabel->text();
        const int value = m_form->ui.Xfer_progressBar->value();
        const QJsonObject pulled = control({"pull", "127.0.0.191", "Group"}).toObject();
        QVERIFY(pulled.value("complete").toBool());
        QVERIFY(pulled.value("reports").toInt() >= 3 && pulled.value("report_errors").toInt() == 0);
        QCOMPARE(readFile(m_players->mediaDirectory("127.0.0.191") + "/clip (1).mpg"), m_content["clip (1).mpg"]);
        QCOMPARE(m_form->ui.xfer_filename_textLabel->text(), label);
        QCOMPARE(m_form->ui.Xfer_progressBar->value(), value);
        QVERIFY(m_players->journal("call", "127.0.0.191", "Kivo.GetMediaFileList").isEmpty());
    }
};

QTEST_MAIN(TestBatchPull)
#include "tst_batchpull.moc"
