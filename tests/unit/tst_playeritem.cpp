#include "players/playeritem.h"

#include "content/ftptransfer.h"
#include "ui/prompts.h"

#include <QImage>
#include <QListWidget>
#include <QPointer>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

namespace {

const QDateTime startTime(QDate(2010, 5, 28), QTime(14, 5, 9));

QColor iconColor(const QIcon& icon)
{
    return icon.pixmap(64, 64).toImage().pixelColor(32, 32);
}

bool writeFile(const QString& path, const QByteArray& content)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(content) == content.size();
}

} // namespace

class PlayerItemTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void initialValues();
    void dhcpAccessor_data();
    void dhcpAccessor();
    void powerStateSwitchesIcon();
    void liveness_data();
    void liveness();
    void virtualItem();
    void virtualUpload();
    void uploadsSendingNothing_data();
    void uploadsSendingNothing();
    void deletionInsideDeadPlayer_data();
    void deletionInsideDeadPlayer();
    void deletionWithQueuedUpload();

private:
    QTemporaryDir m_workDir;
    QDateTime m_now;
    std::unique_ptr<QListWidget> m_view;
};

void PlayerItemTest::initTestCase()
{
    QVERIFY(m_workDir.isValid());
    QDir::setCurrent(m_workDir.path());
    const QList<std::pair<QString, QColor>> icons = {{"player_icon.png", Qt::green},
                                                     {"player_off.png", Qt::red},
                                                     {"player_virtual.png", Qt::blue}};
    for (const auto& [file, color] : icons) {
        QImage image(10, 20, QImage::Format_RGB32);
        image.fill(color);
        QVERIFY(image.save(file));
    }
    PlayerItem::setClock([this] { return m_now; });
}

void PlayerItemTest::init()
{
    m_now = startTime;
    m_view = std::make_unique<QListWidget>();
    m_view->setViewMode(QListView::IconMode);
}

void PlayerItemTest::cleanup()
{
    m_view.reset();
}

void PlayerItemTest::initialValues()
{
    auto* item = new PlayerItem(m_view.get(), QStringLiteral("lobby"), false, false);

    QCOMPARE(m_view->count(), 1);
    QCOMPARE(m_view->item(0), item);
    QCOMPARE(item->type(), PlayerItem::ItemType);
    QCOMPARE(item->text(), QStringLiteral("lobby"));
    QCOMPARE(item->name(), QStringLiteral("lobby"));
    QCOMPARE(item->screenLayout(), -1);
    QCOMPARE(item->lastActive(), startTime);
    QCOMPARE(item->lastActiveText(), startTime.toString(Qt::TextDate));
    QCOMPARE(item->dmzFlag(), QStringLiteral("off"));
    QCOMPARE(item->dhcp("LAN"), QStringLiteral("OFF"));
    QCOMPARE(item->dhcp("WLAN"), QStringLiteral("OFF"));
    const QStringList empties = {item->ipAddress(), item->playing(), item->videoMode(), item->lanIp(),
                                 item->dmzIp(), item->wlanIp(), item->essid(), item->wepKey(),
                                 item->serverIp(), item->lanDevice(), item->wlanDevice(), item->lanGateway(),
                                 item->lanMask(), item->wlanGateway(), item->wlanMask(),
                                 item->virtualDirectory(), item->downloadStatus()};
    for (const QString& value : empties) {
        QVERIFY(value.isEmpty());
        QVERIFY(!value.isNull());
    }
    QVERIFY(!item->isVirtual());
    QVERIFY(!item->isMirror());
    QVERIFY(item->isReal());
    QCOMPARE(item->client(), nullptr);
    QVERIFY(item->isOnline());
    QCOMPARE(item->totalSpace(), 0);
    QCOMPARE(item->availableSpace(), 0);
    QVERIFY(item->album().isEmpty());
    QVERIFY(item->ftp());
    QCOMPARE(item->ftp()->state(), FtpTransfer::Unconnected);

    QCOMPARE(item->onIcon().size(), QSize(64, 64));
    QCOMPARE(item->offIcon().size(), QSize(64, 64));
    QVERIFY(item->virtualIcon().isNull());
    QCOMPARE(iconColor(item->icon()), QColor(Qt::green));

    QTimer* timer = item->livenessTimer();
    QVERIFY(timer);
    QVERIFY(timer->isActive());
    QVERIFY(!timer->isSingleShot());
    QCOMPARE(timer->interval(), 7000);

    m_now = startTime.addSecs(30);
    item->updateLastActive();
    QCOMPARE(item->lastActive(), m_now);

    // Negative storage figures are ignored.
    item->setTotalSpace(4000);
    item->setAvailableSpace(1200);
    item->setTotalSpace(-5);
    item->setAvailableSpace(-1);
    QCOMPARE(item->totalSpace(), 4000);
    QCOMPARE(item->availableSpace(), 1200);
}

void PlayerItemTest::dhcpAccessor_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("lan");
    QTest::addColumn<QString>("wlan");
    QTest::addColumn<QString>("readBack");
    QTest::newRow("LAN") << "LAN" << "ON" << "OFF" << "ON";
    QTest::newRow("wlan with blanks") << " WLAN\t" << "OFF" << "ON" << "ON";
    QTest::newRow("mixed case lan") << "Lan" << "ON" << "OFF" << "ON";
    QTest::newRow("other interface") << "eth0" << "OFF" << "OFF" << "";
    QTest::newRow("empty kind") << "" << "OFF" << "OFF" << "";
}

void PlayerItemTest::dhcpAccessor()
{
    QFETCH(QString, kind);
    QFETCH(QString, lan);
    QFETCH(QString, wlan);
    QFETCH(QString, readBack);
    PlayerItem item(m_view.get(), QStringLiteral("lobby"), false, false);
    item.setDhcp(QStringLiteral("ON"), kind);
    QCOMPARE(item.dhcp(kind), readBack);
    QCOMPARE(item.dhcp(QStringLiteral("lan")), lan);
    QCOMPARE(item.dhcp(QStringLiteral("wlan")), wlan);
}

void PlayerItemTest::powerStateSwitchesIcon()
{
    PlayerItem item(m_view.get(), QStringLiteral("lobby"), false, false);
    QSignalSpy iconChanges(m_view->model(), &QAbstractItemModel::dataChanged);

    item.setPowerState(QStringLiteral("PWRON"));
    QCOMPARE(iconChanges.count(), 0);
    item.setPowerState(QStringLiteral("PWROFF"));
    item.setPowerState(QStringLiteral("PWROFF"));
    QCOMPARE(iconChanges.count(), 1);
    QVERIFY(!item.isOnline());
    QCOMPARE(iconColor(item.icon()), QColor(Qt::red));

    item.setPowerState(QStringLiteral("pwroff"));
    QCOMPARE(iconChanges.count(), 2);
    QVERIFY(item.isOnline());
    QCOMPARE(iconColor(item.icon()), QColor(Qt::green));
}

void PlayerItemTest::liveness_data()
{
    QTest::addColumn<int>("silentMs");
    QTest::addColumn<bool>("dead");
    QTest::newRow("20 s") << 20000 << false;
    QTest::newRow("20.9 s") << 20900 << false;
    QTest::newRow("21 s") << 21000 << true;
}

void PlayerItemTest::liveness()
{
    QFETCH(int, silentMs);
    QFETCH(bool, dead);
    PlayerItem item(m_view.get(), QStringLiteral("lobby"), false, false);
    QSignalSpy deaths(&item, &PlayerItem::dead_player);

    m_now = startTime.addMSecs(silentMs);
    item.check_last_active_time();
    QCOMPARE(deaths.count(), dead ? 1 : 0);
    if (dead)
        QCOMPARE(deaths.first().at(0).value<PlayerItem*>(), &item);

    // A registration in between keeps the player.
    item.updateLastActive();
    m_now = m_now.addSecs(20);
    item.check_last_active_time();
    QCOMPARE(deaths.count(), dead ? 1 : 0);
}

void PlayerItemTest::virtualItem()
{
    PlayerItem item(m_view.get(), QStringLiteral("mirror group"), true, false);
    QVERIFY(item.isVirtual());
    QVERIFY(!item.isReal());
    QCOMPARE(item.livenessTimer(), nullptr);
    QVERIFY(item.findChildren<QTimer*>(Qt::FindDirectChildrenOnly).isEmpty());
    QCOMPARE(iconColor(item.icon()), QColor(Qt::blue));
    QVERIFY(item.onIcon().isNull());

    item.setPowerState(QStringLiteral("PWROFF"));
    QCOMPARE(iconColor(item.icon()), QColor(Qt::blue));

    PlayerItem mirror(m_view.get(), QStringLiteral("mirror"), false, true);
    QCOMPARE(mirror.livenessTimer(), nullptr);
    QCOMPARE(iconColor(mirror.icon()), QColor(Qt::green));
}

void PlayerItemTest::virtualUpload()
{
    ScriptedPrompts prompts;
    QTemporaryDir virtualDir;
    QVERIFY(QDir(virtualDir.path()).mkpath(QStringLiteral("contents")));
    QVERIFY(QDir().mkpath(QStringLiteral("promo")));
    QByteArray content(3 * 65536 + 11, Qt::Uninitialized);
    for (char& byte : content)
        byte = char(QRandomGenerator::global()->bounded(256));
    QVERIFY(writeFile(QStringLiteral("promo/clip one.mpg"), content));
    const QString target = virtualDir.path() + QStringLiteral("/contents/clip one.mpg");
    QVERIFY(writeFile(target, QByteArray(5 * 65536, 'o')));  // an older, longer file of that name

    PlayerItem item(m_view.get(), QStringLiteral("mirror group"), true, false);
    item.setVirtualDirectory(virtualDir.path());
    QString path = QDir::current().filePath(QStringLiteral("promo/clip one.mpg"));
    item.ftp_uploadFile(path);

    QFile copy(target);
    QVERIFY(copy.open(QIODevice::ReadOnly));
    QCOMPARE(copy.readAll(), content);
    QCOMPARE(QDir(virtualDir.path() + QStringLiteral("/contents")).entryList(QDir::Files),
             QStringList{"clip one.mpg"});
    QVERIFY(prompts.messages.isEmpty());
    QVERIFY(!item.ftp()->hasPendingCommands());
}

void PlayerItemTest::uploadsSendingNothing_data()
{
    QTest::addColumn<bool>("isVirtual");
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("message");
    QTest::newRow("real, empty path") << false << "" << "";
    QTest::newRow("virtual, empty path") << true << "" << "";
    QTest::newRow("real, missing file")
        << false << "no such clip.mpg" << "Can't open file '%1/no such clip.mpg' for reading.";
    QTest::newRow("virtual, missing file")
        << true << "no such clip.mpg" << "Can't open file '%1/no such clip.mpg' for reading.";
    QTest::newRow("virtual, no contents folder")
        << true << "clip.mpg" << "Can't open file '%2/contents/clip.mpg' for writing.";
}

void PlayerItemTest::uploadsSendingNothing()
{
    QFETCH(bool, isVirtual);
    QFETCH(QString, file);
    QFETCH(QString, message);
    ScriptedPrompts prompts;
    QTemporaryDir virtualDir;
    QVERIFY(writeFile(QStringLiteral("clip.mpg"), "data"));
    PlayerItem item(m_view.get(), QStringLiteral("lobby"), isVirtual, false);
    item.setVirtualDirectory(virtualDir.path());
    item.setIpAddress(QStringLiteral("127.0.0.1"));
    QSignalSpy started(item.ftp(), &FtpTransfer::commandStarted);

    QString path = file.isEmpty() ? QString() : QDir::current().filePath(file);
    item.ftp_uploadFile(path);
    QCoreApplication::processEvents();

    QVERIFY(!item.ftp()->hasPendingCommands());
    QCOMPARE(started.count(), 0);
    QVERIFY(QDir(virtualDir.path()).isEmpty());
    if (message.isEmpty()) {
        QVERIFY(prompts.messages.isEmpty());
        return;
    }
    QCOMPARE(prompts.messages.size(), 1);
    QCOMPARE(prompts.messages.first().kind, Prompts::Kind::Critical);
    QCOMPARE(prompts.messages.first().title, QStringLiteral("Upload error"));
    message.replace(QLatin1String("%1"), QDir::currentPath()).replace(QLatin1String("%2"), virtualDir.path());
    QCOMPARE(prompts.messages.first().text, message);
}

void PlayerItemTest::deletionInsideDeadPlayer_data()
{
    QTest::addColumn<bool>("fromTimer");
    QTest::newRow("direct check") << false;
    QTest::newRow("liveness timer") << true;
}

// The main window deletes a dead item in the slot that receives dead_player.
void PlayerItemTest::deletionInsideDeadPlayer()
{
    QFETCH(bool, fromTimer);
    QPointer<PlayerItem> item = new PlayerItem(m_view.get(), QStringLiteral("lobby"), false, false);
    auto* other = new PlayerItem(m_view.get(), QStringLiteral("hall"), false, false);
    int deaths = 0;
    const auto deletePlayer = [&deaths](PlayerItem* dead) {
        ++deaths;
        delete dead;
    };
    connect(item, &PlayerItem::dead_player, this, deletePlayer);
    connect(other, &PlayerItem::dead_player, this, deletePlayer);
    m_now = startTime.addSecs(21);
    other->updateLastActive();

    if (fromTimer) {
        item->livenessTimer()->setInterval(1);
        QTRY_VERIFY(item.isNull());
    } else {
        item->check_last_active_time();
        QVERIFY(item.isNull());
    }
    QCOMPARE(deaths, 1);
    QCOMPARE(m_view->count(), 1);
    QCOMPARE(m_view->item(0), other);
}

// An item removed while its upload is still queued ends the upload quietly.
void PlayerItemTest::deletionWithQueuedUpload()
{
    ScriptedPrompts prompts;
    QVERIFY(writeFile(QStringLiteral("queued.mpg"), "data"));
    auto* item = new PlayerItem(m_view.get(), QStringLiteral("lobby"), false, false);
    item->setIpAddress(QStringLiteral("127.0.0.1"));
    QString path = QDir::current().filePath(QStringLiteral("queued.mpg"));
    item->ftp_uploadFile(path);
    QVERIFY(item->ftp()->hasPendingCommands());
    QPointer<FtpTransfer> ftp = item->ftp();
    delete item;
    QVERIFY(ftp.isNull());
    QCoreApplication::processEvents();
    QVERIFY(prompts.messages.isEmpty());
    QCOMPARE(m_view->count(), 0);
}

QTEST_MAIN(PlayerItemTest)
#include "tst_playeritem.moc"
