// Players on line, end to end over loopback: the window and its registration
// service in this process, the players in the emulator (tools/) at the
// players' real ports 8888 and 2121. What the window does with registrations,
// replies and faults is tested on the window itself (tst_playerwindow); this
// checks that the controller and the players understand each other.

#include "content/ftptransfer.h"
#include "players/playeritem.h"
#include "players/qxrkvoserver.h"
#include "ui/kvo_form.h"
#include "xmlrpc/xrclient.h"

#include "../peers/boxes.h"
#include "../peers/emulatorpeer.h"

#include <QJsonArray>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

class TestPlayersOnline : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void cleanupTestCase();

    void playersAreAdmittedOnceAndAnswerCommands();
    void uploadReachesThePlayersFtpService();

private:
    EmulatorPeer* startEmulator(const QString& firstAddress, int count, const QStringList& arguments);
    // Waits until the window lists name and no call is outstanding.
    PlayerItem* waitForAdmission(const QString& name);

    QTemporaryDir m_workDir;
    QString m_startDir;
    std::unique_ptr<ScriptedPrompts> m_prompts;
    std::unique_ptr<QXRKVOServer> m_server;
    std::unique_ptr<kvo_Form> m_form;
    std::unique_ptr<QSignalSpy> m_registrations;
    std::unique_ptr<QSignalSpy> m_statusLines;
    std::unique_ptr<EmulatorPeer> m_emulator;
};

void TestPlayersOnline::initTestCase()
{
    QVERIFY(m_workDir.isValid());
    m_startDir = QDir::currentPath();
    QVERIFY(QDir::setCurrent(m_workDir.path()));
    QSettings::setPath(QSettings::NativeFormat, QSettings::SystemScope, m_workDir.filePath("settings/system"));
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_workDir.filePath("settings/user"));
}

void TestPlayersOnline::init()
{
    m_prompts = std::make_unique<ScriptedPrompts>();
    m_server = std::make_unique<QXRKVOServer>(0, 5, nullptr, "registration", QHostAddress::LocalHost);
    QVERIFY(m_server->isListening());
    m_form = std::make_unique<kvo_Form>();
    // Wired as at start-up.
    connect(m_server.get(), &QXRKVOServer::NewPlayerRegistration, m_form.get(), &kvo_Form::AddNewPlayer);
    m_registrations = std::make_unique<QSignalSpy>(m_server.get(), &QXRKVOServer::NewPlayerRegistration);
    m_statusLines = std::make_unique<QSignalSpy>(m_form->statusBar(), &QStatusBar::messageChanged);
}

void TestPlayersOnline::cleanup()
{
    // Players first, so that no registration reaches a half-gone window.
    m_emulator.reset();
    m_statusLines.reset();
    m_registrations.reset();
    m_form.reset();
    m_server.reset();
    m_prompts.reset();
}

void TestPlayersOnline::cleanupTestCase()
{
    QDir::setCurrent(m_startDir);
}

EmulatorPeer* TestPlayersOnline::startEmulator(const QString& firstAddress, int count, const QStringList& arguments)
{
    m_emulator = std::make_unique<EmulatorPeer>(m_workDir.filePath(QTest::currentTestFunction()));
    return m_emulator->start(m_server->serverPort(), firstAddress, count, arguments) ? m_emulator.get() : nullptr;
}

PlayerItem* TestPlayersOnline::waitForAdmission(const QString& name)
{
    const auto found = [&] {
        const auto items = m_form->ui.Player_iconView->findItems(name, Qt::MatchExactly);
        return items.isEmpty() ? nullptr : static_cast<PlayerItem*>(items.first());
    };
    const bool admitted = QTest::qWaitFor([&] { return found() && m_form->commandChannel().outstanding() == 0; }, 10000);
    return admitted ? found() : nullptr;
}

void TestPlayersOnline::playersAreAdmittedOnceAndAnswerCommands()
{
    const QString firmware = "Emu firmware ü 2.0";
    EmulatorPeer* players = startEmulator("127.0.0.60", 2, {"--interval", "0.3", "--name", "Écran ½ {n}",
                                                            "--firmware", firmware, "--storage-kb", "123456"});
    QVERIFY(players);
    PlayerItem* first = waitForAdmission("Écran ½ 1");
    PlayerItem* second = waitForAdmission("Écran ½ 2");
    QVERIFY(first && second);
    QCOMPARE(m_form->ui.Player_iconView->count(), 2);

    // The record as the players fill it, the name in "U+" form.
    const auto nameSent = [&](const QString& address) {
        for (const QList<QVariant>& signal : std::as_const(*m_registrations))
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
        QTRY_COMPARE_WITH_TIMEOUT(players->journal("call", address, "Kivo.SyncDateTime").size(), 1, 10000);
        const QString sent = players->journal("call", address, "Kivo.SyncDateTime")[0]["params"][0].toString();
        const QDateTime time = QDateTime::fromString(sent, "yyyyMMdd'T'hh:mm:ss");
        QVERIFY2(time.isValid() && qAbs(time.secsTo(QDateTime::currentDateTime())) <= 5, qPrintable(sent));
    }
    QStringList lines;
    for (const QList<QVariant>& signal : std::as_const(*m_statusLines))
        lines.append(signal.at(0).toString());
    QCOMPARE(lines.filter(QRegularExpression("^Kivo\\.SyncDateTime command completed \\(\\d+ of \\d\\)$")).size(), 2);

    // Heartbeats refresh the same items and admit nobody again.
    QTRY_VERIFY_WITH_TIMEOUT(m_registrations->size() >= 8, 10000);
    QCOMPARE(players->journal("call", "127.0.0.60", "Kivo.SyncDateTime").size(), 1);
    QCOMPARE(players->journal("call", "127.0.0.61", "Kivo.SyncDateTime").size(), 1);
    QCOMPARE(m_form->ui.Player_iconView->count(), 2);
    QCOMPARE(waitForAdmission("Écran ½ 1"), first);
    QVERIFY(m_prompts->messages.isEmpty());

    // Replies as the players shape them.
    m_form->ui.Player_iconView->setCurrentItem(first);
    m_form->FirmwareVersion();
    m_form->GetFreeSpace(second);
    QTRY_COMPARE_WITH_TIMEOUT(second->totalSpace(), 123456, 10000);
    QVERIFY(second->availableSpace() > 0 && second->availableSpace() <= 123456);
    QTRY_COMPARE_WITH_TIMEOUT(boxes(*m_prompts), QStringList{"Information | Version information | Firmware: " + firmware
                                                             + "; Server software: Generic Kivo 3.27 2010-05-28"},
                              10000);
}

void TestPlayersOnline::uploadReachesThePlayersFtpService()
{
    EmulatorPeer* players = startEmulator("127.0.0.73", 1, {"--interval", "600"});
    QVERIFY(players);
    PlayerItem* item = waitForAdmission("Emu1");
    QVERIFY(item);
    const QString fileName = "Grüße 日本 ½.mpg";
    QByteArray bytes(1024 * 1024, Qt::Uninitialized);
    QRandomGenerator(73).fillRange(reinterpret_cast<quint32*>(bytes.data()), bytes.size() / 4);
    QFile local(m_workDir.filePath(fileName));
    QVERIFY(local.open(QIODevice::WriteOnly) && local.write(bytes) == bytes.size());
    local.close();

    QSignalSpy done(item->ftp(), &FtpTransfer::done);
    QString path = local.fileName();
    item->ftp_uploadFile(path);
    QVERIFY(done.wait(10000));
    QCOMPARE(done.first().at(0).toBool(), false);
    QFile stored(players->mediaDirectory("127.0.0.73") + "/" + fileName);
    QVERIFY(stored.open(QIODevice::ReadOnly));
    QVERIFY(stored.readAll() == bytes);
    QTRY_COMPARE_WITH_TIMEOUT(players->journal("ftp", "127.0.0.73").size(), 1, 10000);
    const QJsonObject transfer = players->journal("ftp", "127.0.0.73").first();
    QCOMPARE(transfer["file"].toString(), fileName);
    QCOMPARE(transfer["user"].toString(), QString("kvo"));
    QCOMPARE(transfer["complete"].toBool(), true);
    QVERIFY(m_prompts->messages.isEmpty());
}

QTEST_MAIN(TestPlayersOnline)
#include "tst_playersonline.moc"
