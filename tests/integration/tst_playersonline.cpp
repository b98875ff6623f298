// Players on line, end to end over loopback: the window and its registration
// service in this process, the players in the emulator (tools/), each player
// on its own 127.0.0.6x/7x address at the players' real ports 8888 and 2121.

#include "players/commandchannel.h"
#include "players/playeritem.h"
#include "players/qxrkvoserver.h"
#include "content/ftptransfer.h"
#include "ui/kvo_form.h"
#include "ui/prompts.h"
#include "xmlrpc/xrclient.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRandomGenerator>
#include <QSettings>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>
#include <vector>

#ifdef Q_OS_LINUX
#include <csignal>
#include <sys/prctl.h>
#endif

namespace {

constexpr int kWaitMs = 10000;
const QString kFirmware = QStringLiteral("Emu firmware ü 2.0");

// One emulator process: its players, journal and state directory, and its
// control channel reached through an XRClient of our own.
class Emulator
{
public:
    Emulator(const QString& directory, const QString& firstAddress, int count)
        : m_directory(directory), m_firstAddress(firstAddress), m_count(count)
    {
    }
    ~Emulator() { stop(); }

    bool start(quint16 controllerPort, const QStringList& extraArguments)
    {
        QDir().mkpath(m_directory);
        m_process.setProgram(QStringLiteral("/usr/bin/python3"));
        m_process.setArguments(QStringList{KVO_SOURCE_DIR "/tools/kvo_player_emulator.py",
                                           "--controller", "127.0.0.1",
                                           "--controller-port", QString::number(controllerPort),
                                           "--first-address", m_firstAddress,
                                           "--count", QString::number(m_count),
                                           "--journal", journalPath(),
                                           "--state-dir", m_directory + "/state",
                                           "--control", m_firstAddress + ":0",
                                           "--firmware", kFirmware}
                               + extraArguments);
#ifdef Q_OS_LINUX
        // Players must not outlive a test that crashed.
        m_process.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
#endif
        m_process.start();
        if (!m_process.waitForStarted(kWaitMs))
            return false;
        // Ready once every player has printed where it listens.
        const bool ready = QTest::qWaitFor([this] {
            m_output += m_process.readAllStandardOutput();
            return m_output.count("\nplayer ") + m_output.startsWith("player ") >= m_count
                || m_process.state() != QProcess::Running;
        }, kWaitMs);
        const QRegularExpressionMatch control
            = QRegularExpression(QStringLiteral("control (http://[0-9.]+:[0-9]+/)")).match(QString::fromUtf8(m_output));
        if (!ready || m_process.state() != QProcess::Running || !control.hasMatch()) {
            qWarning() << "emulator did not start:" << m_output << m_process.readAllStandardError();
            return false;
        }
        m_control = std::make_unique<XRClient>(QUrl(control.captured(1) + "RPC2"));
        return true;
    }

    void stop()
    {
        m_control.reset();
        if (m_process.state() == QProcess::NotRunning)
            return;
        m_process.terminate();
        if (!m_process.waitForFinished(5000)) {
            m_process.kill();
            m_process.waitForFinished(5000);
        }
        if (QTest::currentTestFailed())
            qWarning() << "emulator stderr:" << m_process.readAllStandardError();
    }

    // Calls a method of the control channel and waits for its result.
    bool control(const QString& method, const QVariantList& params, QVariant* result = nullptr)
    {
        QSignalSpy replies(m_control.get(), &XRClient::methodResponse);
        QSignalSpy faults(m_control.get(), &XRClient::fault);
        m_control->call(method, params);
        if (!QTest::qWaitFor([&] { return !replies.isEmpty() || !faults.isEmpty(); }, kWaitMs)) {
            qWarning() << "control" << method << "timed out";
            return false;
        }
        if (!faults.isEmpty()) {
            qWarning() << "control" << method << "failed:" << faults.first();
            return false;
        }
        if (result)
            *result = replies.first().at(1);
        return true;
    }

    QString journalPath() const { return m_directory + "/journal.jsonl"; }
    QString mediaDirectory(const QString& address) const { return m_directory + "/state/" + address + "/media"; }

    // Journal records of one event kind ("call", "ftp"), optionally of one
    // player address and method.
    QList<QJsonObject> journal(const QString& event, const QString& address = QString(),
                               const QString& method = QString()) const
    {
        QList<QJsonObject> records;
        QFile file(journalPath());
        if (!file.open(QIODevice::ReadOnly))
            return records;
        for (const QByteArray& line : file.readAll().split('\n')) {
            const QJsonObject record = QJsonDocument::fromJson(line).object();
            if (record.value("event").toString() != event)
                continue;
            if (!address.isEmpty() && record.value("player").toString() != address)
                continue;
            if (!method.isEmpty() && record.value("method").toString() != method)
                continue;
            records.append(record);
        }
        return records;
    }
    qsizetype calls(const QString& address, const QString& method) const
    {
        return journal("call", address, method).size();
    }

private:
    QString m_directory;
    QString m_firstAddress;
    int m_count;
    QProcess m_process;
    QByteArray m_output;
    std::unique_ptr<XRClient> m_control;
};

QByteArray randomBytes(qsizetype size, quint32 seed)
{
    QByteArray bytes(size, Qt::Uninitialized);
    QRandomGenerator generator(seed);
    generator.fillRange(reinterpret_cast<quint32*>(bytes.data()), size / 4);
    return bytes;
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QColor iconColour(const QListWidgetItem* item)
{
    const QImage image = item->icon().pixmap(64, 64).toImage();
    return image.isNull() ? QColor() : image.pixelColor(32, 32);
}

} // namespace

class TestPlayersOnline : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void cleanupTestCase();

    void registeringPlayersAreAdmittedAndSynchronisedOnce();
    void silentPlayerGoesOfflineAndComesBackAnew();
    void encodedNameIsDecodedAndDuplicatesAreRefused();
    void dmzPlayerIsCalledAtItsDmzAddressAndUploadsGoToItsOwn();
    void powerWordSwitchesTheIconOnce();
    void repliesOfTwoPlayersCompleteUnderTheirOwnNames();
    void failedCommandsAreReported_data();
    void failedCommandsAreReported();
    void freeSpaceReplyAfterRemovalChangesNothing();
    void rebootedPlayerIsRemovedAndAdmittedAgain();
    void uploadLandsOnThePlayerAndMovesTheBarOfTheSelectedPlayer_data();
    void uploadLandsOnThePlayerAndMovesTheBarOfTheSelectedPlayer();
    void abortedUploadStopsAndTheNextOneSucceeds();
    void ftpFailureIsReported();
    void closingTheWindowWithACallInFlight();

private:
    Emulator* startEmulator(const QString& firstAddress, int count, const QStringList& arguments = {});
    // The player item named exactly name, or null.
    PlayerItem* player(const QString& name) const;
    // Waits until the window lists name and its admission call has been answered.
    PlayerItem* waitForAdmission(const QString& name);
    // Registrations the service received from address.
    qsizetype registrationsFrom(const QString& address) const;
    void fixClock();
    // Status-bar lines shown so far that report a completed command.
    QStringList completionLines() const;

    QTemporaryDir m_workDir;
    QString m_startDir;
    std::unique_ptr<ScriptedPrompts> m_prompts;
    std::unique_ptr<QXRKVOServer> m_server;
    std::unique_ptr<kvo_Form> m_form;
    std::unique_ptr<QSignalSpy> m_registrations;
    std::unique_ptr<QSignalSpy> m_statusLines;
    std::vector<std::unique_ptr<Emulator>> m_emulators;
    QDateTime m_now;
    int m_emulatorNumber = 0;
};

void TestPlayersOnline::initTestCase()
{
    QVERIFY(m_workDir.isValid());
    m_startDir = QDir::currentPath();
    QVERIFY(QDir::setCurrent(m_workDir.path()));
    QSettings::setPath(QSettings::IniFormat, QSettings::SystemScope, m_workDir.filePath("settings/system"));
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_workDir.filePath("settings/user"));
    QSettings::setPath(QSettings::NativeFormat, QSettings::SystemScope, m_workDir.filePath("settings/system"));
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_workDir.filePath("settings/user"));
    // Icons of distinct colours, so that the shown icon can be told apart.
    for (const auto& [file, colour] : {std::pair{"player_icon.png", QColor(Qt::green)},
                                       std::pair{"player_off.png", QColor(Qt::red)}}) {
        QImage image(64, 64, QImage::Format_RGB32);
        image.fill(colour);
        QVERIFY(image.save(QString::fromLatin1(file), "PNG"));
    }
}

void TestPlayersOnline::init()
{
    PlayerItem::setClock({});
    m_prompts = std::make_unique<ScriptedPrompts>();
    m_server = std::make_unique<QXRKVOServer>(0, 5, nullptr, "registration", QHostAddress::LocalHost);
    QVERIFY(m_server->isListening());
    m_form = std::make_unique<kvo_Form>(nullptr, nullptr, Qt::Window);
    // Wired as at start-up.
    connect(m_server.get(), &QXRKVOServer::NewPlayerRegistration, m_form.get(), &kvo_Form::AddNewPlayer);
    m_registrations = std::make_unique<QSignalSpy>(m_server.get(), &QXRKVOServer::NewPlayerRegistration);
    m_statusLines = std::make_unique<QSignalSpy>(m_form->statusBar(), &QStatusBar::messageChanged);
}

void TestPlayersOnline::cleanup()
{
    // Players first, so that no registration reaches a half-gone window.
    m_emulators.clear();
    m_statusLines.reset();
    m_registrations.reset();
    m_form.reset();
    m_server.reset();
    m_prompts.reset();
    PlayerItem::setClock({});
}

void TestPlayersOnline::cleanupTestCase()
{
    QDir::setCurrent(m_startDir);
}

Emulator* TestPlayersOnline::startEmulator(const QString& firstAddress, int count, const QStringList& arguments)
{
    auto emulator = std::make_unique<Emulator>(
        m_workDir.filePath(QStringLiteral("emulator%1").arg(++m_emulatorNumber)), firstAddress, count);
    if (!emulator->start(m_server->serverPort(), arguments))
        return nullptr;
    m_emulators.push_back(std::move(emulator));
    return m_emulators.back().get();
}

PlayerItem* TestPlayersOnline::player(const QString& name) const
{
    QListWidget* view = m_form->ui.Player_iconView;
    for (int row = 0; row < view->count(); ++row) {
        if (view->item(row)->type() == PlayerItem::ItemType && view->item(row)->text() == name)
            return static_cast<PlayerItem*>(view->item(row));
    }
    return nullptr;
}

PlayerItem* TestPlayersOnline::waitForAdmission(const QString& name)
{
    if (!QTest::qWaitFor([&] { return player(name) && m_form->commandChannel().outstanding() == 0; }, kWaitMs))
        return nullptr;
    return player(name);
}

qsizetype TestPlayersOnline::registrationsFrom(const QString& address) const
{
    return std::count_if(m_registrations->cbegin(), m_registrations->cend(), [&](const QList<QVariant>& call) {
        return call.at(0).toStringList().value(1) == address;
    });
}

void TestPlayersOnline::fixClock()
{
    m_now = QDateTime::currentDateTime();
    PlayerItem::setClock([this] { return m_now; });
}

QStringList TestPlayersOnline::completionLines() const
{
    QStringList lines;
    for (const QList<QVariant>& signal : *m_statusLines) {
        const QString line = signal.at(0).toString();
        if (line.contains(QLatin1String(" command completed (")))
            lines.append(line);
    }
    return lines;
}

void TestPlayersOnline::registeringPlayersAreAdmittedAndSynchronisedOnce()
{
    Emulator* players = startEmulator("127.0.0.60", 2, {"--interval", "0.3"});
    QVERIFY(players);
    PlayerItem* first = waitForAdmission("Emu1");
    PlayerItem* second = waitForAdmission("Emu2");
    QVERIFY(first);
    QVERIFY(second);
    QCOMPARE(m_form->ui.Player_iconView->count(), 2);

    QCOMPARE(first->ipAddress(), QString("127.0.0.60"));
    QCOMPARE(second->ipAddress(), QString("127.0.0.61"));
    QCOMPARE(first->client()->url(), QUrl("http://127.0.0.60:8888/RPC2"));
    QCOMPARE(m_form->commandChannel().client("Emu2"), second->client());
    QCOMPARE(first->videoMode(), QString("VGA_1024x768x60"));
    QCOMPARE(first->lanDevice(), QString("RTL8100"));
    QCOMPARE(first->serverIp(), QString("127.0.0.1"));
    QVERIFY(first->isOnline());

    // The admission call carries the controller's local time.
    for (const QString address : {"127.0.0.60", "127.0.0.61"}) {
        QTRY_COMPARE_WITH_TIMEOUT(players->calls(address, "Kivo.SyncDateTime"), 1, kWaitMs);
        const QJsonArray params = players->journal("call", address, "Kivo.SyncDateTime").first().value("params").toArray();
        QCOMPARE(params.size(), 1);
        const QDateTime sent = QDateTime::fromString(params.at(0).toString(), "yyyyMMdd'T'hh:mm:ss");
        QVERIFY2(sent.isValid(), qPrintable(params.at(0).toString()));
        QVERIFY2(qAbs(sent.secsTo(QDateTime::currentDateTime())) <= 5, qPrintable(sent.toString()));
    }
    QCOMPARE(completionLines().filter(QRegularExpression("^Kivo\\.SyncDateTime command completed \\(\\d+ of \\d\\)$")).size(),
             2);

    // Heartbeats refresh the same items and admit nobody again.
    QTRY_VERIFY_WITH_TIMEOUT(registrationsFrom("127.0.0.60") >= 4 && registrationsFrom("127.0.0.61") >= 4, kWaitMs);
    QCOMPARE(players->calls("127.0.0.60", "Kivo.SyncDateTime"), 1);
    QCOMPARE(players->calls("127.0.0.61", "Kivo.SyncDateTime"), 1);
    QCOMPARE(m_form->ui.Player_iconView->count(), 2);
    QCOMPARE(player("Emu1"), first);
    QCOMPARE(player("Emu2"), second);
    QCOMPARE(m_prompts->messages.size(), 0);
}

void TestPlayersOnline::silentPlayerGoesOfflineAndComesBackAnew()
{
    fixClock();
    // One registration at start, then silence.
    Emulator* players = startEmulator("127.0.0.62", 1, {"--interval", "600"});
    QVERIFY(players);
    PlayerItem* item = waitForAdmission("Emu1");
    QVERIFY(item);
    QCOMPARE(item->lastActive(), m_now);
    XRClient* firstClient = item->client();

    m_now = m_now.addSecs(20);
    item->check_last_active_time();
    QCOMPARE(player("Emu1"), item);

    m_now = m_now.addSecs(1);
    item->check_last_active_time();
    QVERIFY(!player("Emu1"));
    QCOMPARE(m_form->ui.Player_iconView->count(), 0);
    QCOMPARE(m_form->statusBar()->currentMessage(), QString("Player Emu1 goes offline!"));

    // Its next registration admits it anew, with a new client and a new clock synchronisation.
    QVERIFY(players->control("register", {"*"}));
    PlayerItem* again = waitForAdmission("Emu1");
    QVERIFY(again);
    QCOMPARE(again->lastActive(), m_now);
    QVERIFY(again->client() != firstClient);
    QTRY_COMPARE_WITH_TIMEOUT(players->calls("127.0.0.62", "Kivo.SyncDateTime"), 2, kWaitMs);
    QCOMPARE(m_prompts->messages.size(), 0);
}

void TestPlayersOnline::encodedNameIsDecodedAndDuplicatesAreRefused()
{
    fixClock();
    const QString name = QStringLiteral("Écran ½");
    Emulator* registered = startEmulator("127.0.0.63", 1, {"--interval", "600", "--name", name,
                                                           "--video-mode", "FIRST_MODE"});
    QVERIFY(registered);
    PlayerItem* item = waitForAdmission(name);
    QVERIFY(item);
    // The name travelled in "U+" form.
    QCOMPARE(m_registrations->first().at(0).toStringList().value(0), QString("U+C9U+63U+72U+61U+6EU+20U+BD"));
    const QDateTime admittedAt = m_now;

    // Another machine under the same name in other letter case.
    m_now = m_now.addSecs(10);
    const QString rival = QStringLiteral("éCRAN ½");
    Emulator* duplicate = startEmulator("127.0.0.64", 1, {"--interval", "0.3", "--name", rival,
                                                          "--video-mode", "SECOND_MODE"});
    QVERIFY(duplicate);
    QTRY_VERIFY_WITH_TIMEOUT(m_prompts->messages.size() >= 2, kWaitMs);
    for (const ScriptedPrompts::Record& message : m_prompts->messages) {
        QCOMPARE(message.kind, Prompts::Kind::Warning);
        QCOMPARE(message.title, QString("Duplicated Player"));
        QCOMPARE(message.text, QString("A new player (éCRAN ½,127.0.0.64) is trying to connect to this server "
                                       "while (Écran ½,127.0.0.63) has already registered.\n"
                                       "This connection is ignored."));
    }
    QCOMPARE(m_form->ui.Player_iconView->count(), 1);
    QCOMPARE(player(name), item);
    QCOMPARE(item->ipAddress(), QString("127.0.0.63"));
    QCOMPARE(item->videoMode(), QString("FIRST_MODE"));
    QCOMPARE(item->lastActive(), admittedAt);
    QCOMPARE(m_form->commandChannel().client(name), item->client());
    QCOMPARE(duplicate->journal("call").size(), 0);
}

void TestPlayersOnline::dmzPlayerIsCalledAtItsDmzAddressAndUploadsGoToItsOwn()
{
    // Player 1 registers with DMZ on; player 2 stands at its DMZ address and never registers.
    Emulator* players = startEmulator("127.0.0.65", 2, {"--interval", "600", "--dmz", " yes ",
                                                        "--dmz-ip", "127.0.0.66", "--fault", "2=heartbeat-off"});
    QVERIFY(players);
    PlayerItem* item = waitForAdmission("Emu1");
    QVERIFY(item);
    QCOMPARE(m_form->ui.Player_iconView->count(), 1);
    QCOMPARE(item->client()->url(), QUrl("http://127.0.0.66:8888/RPC2"));
    QCOMPARE(item->ipAddress(), QString("127.0.0.65"));
    QCOMPARE(item->dmzFlag(), QString(" yes "));
    QCOMPARE(item->dmzIp(), QString("127.0.0.66"));
    QTRY_COMPARE_WITH_TIMEOUT(players->calls("127.0.0.66", "Kivo.SyncDateTime"), 1, kWaitMs);
    QCOMPARE(players->calls("127.0.0.65", "Kivo.SyncDateTime"), 0);

    const QByteArray bytes = randomBytes(100000, 65);
    QString path = m_workDir.filePath("dmz.mpg");
    QVERIFY(writeFile(path, bytes));
    QSignalSpy done(item->ftp(), &FtpTransfer::done);
    item->ftp_uploadFile(path);
    QVERIFY(done.wait(kWaitMs));
    QCOMPARE(done.first().at(0).toBool(), false);
    QCOMPARE(readFile(players->mediaDirectory("127.0.0.65") + "/dmz.mpg"), bytes);
    QVERIFY(!QFile::exists(players->mediaDirectory("127.0.0.66") + "/dmz.mpg"));
}

void TestPlayersOnline::powerWordSwitchesTheIconOnce()
{
    Emulator* players = startEmulator("127.0.0.67", 1, {"--interval", "600"});
    QVERIFY(players);
    PlayerItem* item = waitForAdmission("Emu1");
    QVERIFY(item);
    QVERIFY(item->isOnline());
    QCOMPARE(iconColour(item), QColor(Qt::green));

    int iconChanges = 0;
    connect(m_form->ui.Player_iconView->model(), &QAbstractItemModel::dataChanged, this,
            [&](const QModelIndex&, const QModelIndex&, const QList<int>& roles) {
                iconChanges += roles.contains(Qt::DecorationRole);
            });
    // Registers with the word and waits until the window has handled it.
    const auto registerWith = [&](const QString& word) {
        const qsizetype before = m_registrations->size();
        return players->control("set", {"*", QVariantMap{{"power", word}}}) && players->control("register", {"*"})
            && QTest::qWaitFor([&] { return m_registrations->size() > before; }, kWaitMs);
    };

    QVERIFY(registerWith("PWROFF"));
    QVERIFY(!item->isOnline());
    QCOMPARE(iconColour(item), QColor(Qt::red));
    QVERIFY(registerWith("PWROFF"));
    QVERIFY(!item->isOnline());
    QCOMPARE(iconChanges, 1);

    // Only the exact word means off.
    QVERIFY(registerWith("pwroff"));
    QVERIFY(item->isOnline());
    QCOMPARE(iconColour(item), QColor(Qt::green));
    QCOMPARE(iconChanges, 2);
    QCOMPARE(player("Emu1"), item);
}

void TestPlayersOnline::repliesOfTwoPlayersCompleteUnderTheirOwnNames()
{
    Emulator* players = startEmulator("127.0.0.68", 2, {"--interval", "600"});
    QVERIFY(players);
    // The second player's first heartbeat is far off.
    QVERIFY(players->control("register", {"*"}));
    PlayerItem* first = waitForAdmission("Emu1");
    PlayerItem* second = waitForAdmission("Emu2");
    QVERIFY(first && second);
    // Both replies held back a little, so that both requests are outstanding together.
    QVERIFY(players->control("fault", {"*", "delay:0.3"}));
    QSignalSpy firstReplies(first->client(), &XRClient::methodResponse);
    QSignalSpy secondReplies(second->client(), &XRClient::methodResponse);
    const qsizetype linesBefore = completionLines().size();

    m_form->ui.Player_iconView->setCurrentItem(first);
    m_form->PlayALL();
    m_form->ui.Player_iconView->setCurrentItem(second);
    m_form->FirmwareVersion();
    QCOMPARE(m_form->commandChannel().outstanding(), 2);
    QTRY_COMPARE_WITH_TIMEOUT(m_form->commandChannel().outstanding(), 0, kWaitMs);

    QCOMPARE(firstReplies.size(), 1);
    QCOMPARE(secondReplies.size(), 1);
    const QString playAllLine = QString("Kivo.PlayALL command completed (%1 of ").arg(firstReplies.first().at(0).toInt());
    const QString firmwareLine
        = QString("Kivo.FirmwareVersion command completed (%1 of ").arg(secondReplies.first().at(0).toInt());
    const QStringList lines = completionLines().mid(linesBefore);
    QCOMPARE(lines.size(), 2);
    // Whichever came first still had the other outstanding.
    const bool playAllFirst = lines.at(0).startsWith(playAllLine);
    QCOMPARE(lines.at(0), (playAllFirst ? playAllLine : firmwareLine) + "1)");
    QCOMPARE(lines.at(1), (playAllFirst ? firmwareLine : playAllLine) + "0)");

    QCOMPARE(players->calls("127.0.0.68", "Kivo.PlayALL"), 1);
    QCOMPARE(players->calls("127.0.0.69", "Kivo.PlayALL"), 0);
    QCOMPARE(players->calls("127.0.0.69", "Kivo.FirmwareVersion"), 1);
    QCOMPARE(m_prompts->messages.size(), 1);
    QCOMPARE(m_prompts->messages.first().kind, Prompts::Kind::Information);
    QCOMPARE(m_prompts->messages.first().title, QString("Version information"));
    QCOMPARE(m_prompts->messages.first().text,
             QString("Firmware: %1; Server software: Generic Kivo 3.27 2010-05-28").arg(kFirmware));
}

void TestPlayersOnline::failedCommandsAreReported_data()
{
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("text");
    QTest::newRow("refused") << "refuse" << "Connection refused"
                             << "Connection refused. The player is not ready yet. It it safe to ignore this message.";
    QTest::newRow("closed in mid-reply")
        << "close" << "Server closed connection unexpectedly"
        << "Server closed connection unexpectedly. Most likely player connection was broken or player was reset "
           "just now, it is safe to ignore this message.";
    QTest::newRow("player fault") << "fault:4:bad path" << "bad path" << "bad path";
}

void TestPlayersOnline::failedCommandsAreReported()
{
    QFETCH(QString, fault);
    QFETCH(QString, message);
    QFETCH(QString, text);
    Emulator* players = startEmulator("127.0.0.70", 1, {"--interval", "600"});
    QVERIFY(players);
    PlayerItem* item = waitForAdmission("Emu1");
    QVERIFY(item);
    QVERIFY(players->control("fault", {"*", fault}));
    QSignalSpy faults(item->client(), &XRClient::fault);

    m_form->ui.Player_iconView->setCurrentItem(item);
    m_form->PlayALL();
    QTRY_COMPARE_WITH_TIMEOUT(m_prompts->messages.size(), 1, kWaitMs);
    QCOMPARE(m_prompts->messages.first().kind, Prompts::Kind::Information);
    QCOMPARE(m_prompts->messages.first().title, QString("Kivo.PlayALL Error"));
    QCOMPARE(m_prompts->messages.first().text, text);
    QCOMPARE(faults.size(), 1);
    QCOMPARE(m_form->statusBar()->currentMessage(),
             QString("Client command <%1> fails with message <%2>.").arg(faults.first().at(0).toInt()).arg(message));
    QCOMPARE(m_form->commandChannel().outstanding(), 0);
    // The player stays listed: a failed command is no sign of absence.
    QCOMPARE(player("Emu1"), item);
}

void TestPlayersOnline::freeSpaceReplyAfterRemovalChangesNothing()
{
    Emulator* players = startEmulator("127.0.0.71", 1, {"--interval", "600", "--storage-kb", "123456"});
    QVERIFY(players);
    PlayerItem* removed = waitForAdmission("Emu1");
    QVERIFY(removed);
    QVERIFY(players->control("fault", {"*", QVariantMap{{"delay", 1}, {"methods", QVariantList{"Kivo.FreeSpace"}}}}));
    QSignalSpy lateReplies(removed->client(), &XRClient::methodResponse);

    m_form->GetFreeSpace(removed);
    m_form->delete_player(removed);
    // Admitted again before the reply arrives.
    QVERIFY(players->control("register", {"*"}));
    QVERIFY(player("Emu1"));
    QPointer<PlayerItem> readmitted = player("Emu1");
    QTRY_VERIFY_WITH_TIMEOUT(completionLines().filter("Kivo.FreeSpace").size() == 1, kWaitMs);
    QCOMPARE(lateReplies.size(), 1);
    QCOMPARE(lateReplies.first().at(1).toList().value(0).toInt(), 123456);
    QVERIFY(readmitted);
    QCOMPARE(readmitted->totalSpace(), 0);
    QCOMPARE(readmitted->availableSpace(), 0);
    QTRY_COMPARE_WITH_TIMEOUT(m_form->commandChannel().outstanding(), 0, kWaitMs);

    // The same reply for a player still listed fills its figures.
    m_form->GetFreeSpace(readmitted);
    QTRY_COMPARE_WITH_TIMEOUT(readmitted->totalSpace(), 123456, kWaitMs);
    QVERIFY(readmitted->availableSpace() > 0 && readmitted->availableSpace() <= 123456);
    QCOMPARE(m_prompts->messages.size(), 0);
}

void TestPlayersOnline::rebootedPlayerIsRemovedAndAdmittedAgain()
{
    Emulator* players = startEmulator("127.0.0.72", 1, {"--interval", "600", "--reboot-seconds", "0.3"});
    QVERIFY(players);
    PlayerItem* item = waitForAdmission("Emu1");
    QVERIFY(item);
    m_form->ui.Player_iconView->setCurrentItem(item);

    m_form->Reboot_player();
    QVERIFY(!player("Emu1"));
    QCOMPARE(m_form->statusBar()->currentMessage(), QString("Player Emu1 goes offline!"));
    QTRY_COMPARE_WITH_TIMEOUT(players->calls("127.0.0.72", "Kivo.Reboot"), 1, kWaitMs);
    // Back after its restart; the reply to the reboot itself shows nothing.
    QVERIFY(waitForAdmission("Emu1"));
    QTRY_COMPARE_WITH_TIMEOUT(players->calls("127.0.0.72", "Kivo.SyncDateTime"), 2, kWaitMs);
    QCOMPARE(completionLines().filter("Kivo.Reboot").size(), 0);
    QCOMPARE(m_prompts->messages.size(), 0);
}

void TestPlayersOnline::uploadLandsOnThePlayerAndMovesTheBarOfTheSelectedPlayer_data()
{
    QTest::addColumn<QString>("fileName");
    QTest::newRow("blank in the name") << "clip one.mpg";
    QTest::newRow("non-ASCII name") << "Grüße 日本 ½.mpg";
}

void TestPlayersOnline::uploadLandsOnThePlayerAndMovesTheBarOfTheSelectedPlayer()
{
    QFETCH(QString, fileName);
    Emulator* players = startEmulator("127.0.0.73", 2, {"--interval", "600"});
    QVERIFY(players);
    // The second player's first heartbeat is far off.
    QVERIFY(players->control("register", {"*"}));
    PlayerItem* selected = waitForAdmission("Emu1");
    PlayerItem* other = waitForAdmission("Emu2");
    QVERIFY(selected && other);
    m_form->ui.Player_iconView->setCurrentItem(selected);
    m_form->UpdatePlayerDisplayData(selected);
    QProgressBar* bar = m_form->ui.Xfer_progressBar;
    QSignalSpy barValues(bar, &QProgressBar::valueChanged);

    QDir().mkpath(m_workDir.filePath("local"));
    QString path = m_workDir.filePath("local/" + fileName);
    const QByteArray bytes = randomBytes(4 * 1024 * 1024, 73);
    QVERIFY(writeFile(path, bytes));

    // The other player's upload leaves the bar alone.
    QSignalSpy otherDone(other->ftp(), &FtpTransfer::done);
    QSignalSpy otherRefresh(other, &PlayerItem::refresh_player_contents);
    other->ftp_uploadFile(path);
    QVERIFY(otherDone.wait(kWaitMs));
    QCOMPARE(otherDone.first().at(0).toBool(), false);
    QCOMPARE(otherRefresh.size(), 1);
    QCOMPARE(readFile(players->mediaDirectory("127.0.0.74") + "/" + fileName), bytes);
    QCOMPARE(barValues.size(), 0);

    QSignalSpy done(selected->ftp(), &FtpTransfer::done);
    selected->ftp_uploadFile(path);
    QVERIFY(done.wait(kWaitMs));
    QCOMPARE(done.first().at(0).toBool(), false);
    QCOMPARE(readFile(players->mediaDirectory("127.0.0.73") + "/" + fileName), bytes);
    QTRY_VERIFY_WITH_TIMEOUT(!players->journal("ftp", "127.0.0.73").isEmpty(), kWaitMs);
    const QJsonObject transfer = players->journal("ftp", "127.0.0.73").first();
    QCOMPARE(transfer.value("file").toString(), fileName);
    QCOMPARE(transfer.value("user").toString(), QString("kvo"));
    QCOMPARE(transfer.value("complete").toBool(), true);

    QVERIFY(!barValues.isEmpty());
    QCOMPARE(bar->maximum(), bytes.size());
    QCOMPARE(barValues.last().at(0).toInt(), bytes.size());
    QCOMPARE(m_prompts->messages.size(), 0);
}

void TestPlayersOnline::abortedUploadStopsAndTheNextOneSucceeds()
{
    Emulator* players = startEmulator("127.0.0.73", 1, {"--interval", "600"});
    QVERIFY(players);
    PlayerItem* item = waitForAdmission("Emu1");
    QVERIFY(item);
    QString path = m_workDir.filePath("large.mpg");
    const QByteArray bytes = randomBytes(64 * 1024 * 1024, 7);
    QVERIFY(writeFile(path, bytes));

    // Aborted as soon as the first bytes have gone.
    bool abortRequested = false;
    connect(item->ftp(), &FtpTransfer::dataTransferProgress, item, [&](qint64 sent, qint64) {
        if (sent > 0 && !abortRequested) {
            abortRequested = true;
            QTimer::singleShot(0, item, &PlayerItem::ftp_abort);
        }
    });
    QSignalSpy done(item->ftp(), &FtpTransfer::done);
    item->ftp_uploadFile(path);
    QVERIFY(done.wait(kWaitMs));
    QVERIFY(abortRequested);
    QCOMPARE(done.first().at(0).toBool(), true);
    QCOMPARE(item->ftp()->state(), FtpTransfer::Unconnected);
    QVERIFY(!item->ftp()->hasPendingCommands());
    // The server keeps what arrived before the connection went.
    QTRY_VERIFY_WITH_TIMEOUT(!players->journal("ftp", "127.0.0.73").isEmpty(), kWaitMs);
    const qint64 stored = QFileInfo(players->mediaDirectory("127.0.0.73") + "/large.mpg").size();
    QVERIFY2(stored < bytes.size(), qPrintable(QString::number(stored)));
    // The operator is told, as for any transfer that did not finish.
    QCOMPARE(m_prompts->messages.size(), 1);
    QCOMPARE(m_prompts->messages.first().kind, Prompts::Kind::Critical);
    QCOMPARE(m_prompts->messages.first().title, QString("File transfer failure"));
    QCOMPARE(m_prompts->messages.first().text, QString("Aborted"));

    // The next upload of the same file goes through whole.
    done.clear();
    abortRequested = true;
    item->ftp_uploadFile(path);
    QVERIFY(done.wait(kWaitMs));
    QCOMPARE(done.first().at(0).toBool(), false);
    QVERIFY(readFile(players->mediaDirectory("127.0.0.73") + "/large.mpg") == bytes);
}

void TestPlayersOnline::ftpFailureIsReported()
{
    Emulator* players = startEmulator("127.0.0.73", 1, {"--interval", "600"});
    QVERIFY(players);
    PlayerItem* item = waitForAdmission("Emu1");
    QVERIFY(item);
    QVERIFY(players->control("fault", {"*", "ftp-down"}));
    QString path = m_workDir.filePath("refused.mpg");
    QVERIFY(writeFile(path, randomBytes(1000, 1)));

    item->ftp_uploadFile(path);
    QTRY_COMPARE_WITH_TIMEOUT(m_prompts->messages.size(), 1, kWaitMs);
    QCOMPARE(m_prompts->messages.first().kind, Prompts::Kind::Critical);
    QCOMPARE(m_prompts->messages.first().title, QString("File transfer failure"));
    QVERIFY(!item->ftp()->errorString().isEmpty());
    QCOMPARE(m_prompts->messages.first().text, item->ftp()->errorString());
    QVERIFY2(item->ftp()->errorString().contains("421"), qPrintable(item->ftp()->errorString()));
    QVERIFY(!QFile::exists(players->mediaDirectory("127.0.0.73") + "/refused.mpg"));
    // The failed session is closed.
    QTRY_COMPARE_WITH_TIMEOUT(item->ftp()->state(), FtpTransfer::Unconnected, kWaitMs);
    QVERIFY(!item->ftp()->hasPendingCommands());
}

void TestPlayersOnline::closingTheWindowWithACallInFlight()
{
    Emulator* players = startEmulator("127.0.0.75", 1, {"--interval", "600"});
    QVERIFY(players);
    PlayerItem* item = waitForAdmission("Emu1");
    QVERIFY(item);
    QVERIFY(players->control("fault", {"*", "delay:2"}));
    m_form->ui.Player_iconView->setCurrentItem(item);
    m_form->FirmwareVersion();
    QTRY_COMPARE_WITH_TIMEOUT(players->calls("127.0.0.75", "Kivo.FirmwareVersion"), 1, kWaitMs);

    // The call dies with the window; nobody is left to tell.
    m_form.reset();
    QCOMPARE(m_prompts->messages.size(), 0);
}

QTEST_MAIN(TestPlayersOnline)
#include "tst_playersonline.moc"
