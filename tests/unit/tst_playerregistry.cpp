// The index of a view's players and its one liveness sweep: lookups that
// follow items as they come, change and go, a sweep that removes exactly the
// silent real players, and what a fleet of idle players costs.

#include "players/playeritem.h"
#include "players/playerregistry.h"

#include "../peers/scratchdir.h"

#include <QDir>
#include <QListWidget>
#include <QPointer>
#include <QSignalSpy>
#include <QTimer>
#include <QtTest>

namespace {

int openDescriptors()
{
    return int(QDir("/proc/self/fd").entryList(QDir::Files | QDir::System).size());
}

const QDateTime startTime(QDate(2010, 5, 28), QTime(14, 5, 9));

} // namespace

class PlayerRegistryTest : public QObject
{
    Q_OBJECT

private:
    ScratchDirectory m_workDir;
    QDateTime m_now;
    std::unique_ptr<QListWidget> m_view;

    PlayerRegistry* registry() { return PlayerRegistry::of(m_view.get()); }
    PlayerItem* add(const QString& name, const QString& address, bool isVirtual = false)
    {
        auto* item = new PlayerItem(m_view.get(), name, isVirtual, false);
        item->setIpAddress(address);
        return item;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_workDir.isValid());
        PlayerItem::setClock([this] { return m_now; });
    }
    void cleanupTestCase() { PlayerItem::setClock({}); }
    void init()
    {
        m_now = startTime;
        m_view = std::make_unique<QListWidget>();
        m_view->setViewMode(QListView::IconMode);
    }
    void cleanup() { m_view.reset(); }

    void findsByNameIgnoringCase_data()
    {
        QTest::addColumn<QString>("asked");
        QTest::addColumn<QString>("found"); // address of the player found; empty for none
        QTest::newRow("exact") << "Lobby" << "127.0.0.2";
        QTest::newRow("other case") << "LOBBY" << "127.0.0.2";
        QTest::newRow("non-ASCII other case") << "ÉCRAN" << "127.0.0.3";
        QTest::newRow("virtual player") << "mirror group" << "";
        QTest::newRow("prefix only") << "Lob" << "-";
        QTest::newRow("empty") << "" << "-";
        QTest::newRow("deleted") << "Hall" << "-";
    }
    void findsByNameIgnoringCase()
    {
        QFETCH(QString, asked);
        QFETCH(QString, found);
        add("Lobby", "127.0.0.2");
        add("écran", "127.0.0.3");
        add("mirror group", "", true);
        delete add("Hall", "127.0.0.4");
        PlayerItem* item = registry()->find(asked);
        QCOMPARE(item ? item->ipAddress() : QString("-"), found);
        QCOMPARE(registry()->count(), 3);
    }

    void indexFollowsItemsAsTheyChangeAndGo()
    {
        PlayerItem* first = add("Lobby", "127.0.0.2");
        PlayerItem* second = add("lobby", "127.0.0.5");
        // The earliest of equal names is found, as a search of the view would.
        QCOMPARE(registry()->find("LOBBY"), first);
        QCOMPARE(registry()->atAddress("127.0.0.2"), QList<PlayerItem*>{first});

        first->setIpAddress("127.0.0.9");
        QVERIFY(registry()->atAddress("127.0.0.2").isEmpty());
        QCOMPARE(registry()->atAddress("127.0.0.9"), QList<PlayerItem*>{first});

        delete first;
        QCOMPARE(registry()->find("Lobby"), second);
        QVERIFY(registry()->atAddress("127.0.0.9").isEmpty());

        m_view->clear();
        QCOMPARE(registry()->find("Lobby"), nullptr);
        QCOMPARE(registry()->count(), 0);
        QVERIFY(!registry()->livenessTimer()->isActive());
    }

    // Liveness costs one timer, and an idle player no descriptor, however
    // large the fleet: nothing is opened until a player transfers something.
    void aFleetOfIdlePlayersCostsLittle()
    {
        const int before = openDescriptors();
        for (int i = 0; i < 300; ++i)
            add(QString("Emu%1").arg(i), QString("127.0.1.%1").arg(i));
        add("mirror group", "", true);
        QVERIFY2(openDescriptors() - before < 10, qPrintable(QString::number(openDescriptors() - before)));
        QCOMPARE(m_view->findChildren<QTimer*>().size(), 1);
        QVERIFY(registry()->livenessTimer()->isActive());
        QCOMPARE(registry()->livenessTimer()->interval(), PlayerItem::LivenessIntervalMs);
    }

    // A receiver of dead_player deletes the item, and here also the next
    // silent player: each dies once and the sweep goes on with the rest.
    void sweepRemovesTheSilentOnly_data()
    {
        QTest::addColumn<bool>("deleteAnother");
        QTest::newRow("receiver deletes the dead item") << false;
        QTest::newRow("receiver deletes another dead item too") << true;
    }
    void sweepRemovesTheSilentOnly()
    {
        QFETCH(bool, deleteAnother);
        QList<QPointer<PlayerItem>> silent;
        for (int i = 0; i < 4; ++i)
            silent.append(add(QString("Silent%1").arg(i), QString("127.0.2.%1").arg(i)));
        PlayerItem* virtualItem = add("mirror group", "", true);
        QSignalSpy mirrorDeaths(new PlayerItem(m_view.get(), "mirror", false, true), &PlayerItem::dead_player);
        m_now = startTime.addSecs(15);
        PlayerItem* heard = add("Heard", "127.0.3.1");
        m_now = startTime.addSecs(21);

        int deaths = 0;
        for (const QPointer<PlayerItem>& item : silent) {
            connect(item, &PlayerItem::dead_player, this, [&](PlayerItem* dead) {
                ++deaths;
                if (deleteAnother) {
                    for (const QPointer<PlayerItem>& other : silent)
                        if (other && other != dead) {
                            delete other.data();
                            break;
                        }
                }
                delete dead;
            });
        }
        registry()->livenessTimer()->setInterval(1);
        QTRY_VERIFY(std::none_of(silent.begin(), silent.end(), [](const auto& item) { return bool(item); }));
        QCOMPARE(deaths, deleteAnother ? 2 : 4);
        QCOMPARE(m_view->count(), 3);
        QCOMPARE(mirrorDeaths.size(), 0);
        QCOMPARE(registry()->find("Heard"), heard);
        QCOMPARE(registry()->find("mirror group"), virtualItem);
    }
};

QTEST_MAIN(PlayerRegistryTest)
#include "tst_playerregistry.moc"
