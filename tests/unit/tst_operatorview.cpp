// What the window offers the operator of a large fleet: players in name order,
// the filter field, the events pane and file.

#include "players/playeritem.h"
#include "players/playerscontroller.h"
#include "players/playerview.h"
#include "players/registrationrecord.h"
#include "ui/events.h"
#include "window/kvo_form.h"

#include "../peers/eventlines.h"
#include "../peers/scratchdir.h"
#include "../peers/scriptedprompts.h"

#include <QtTest>
#include <QtWidgets>

using namespace RegistrationField;

namespace {

QStringList registration(const QString& name, const QString& address)
{
    QStringList record(Count);
    record[Name] = name;
    record[Address] = address;
    record[PowerState] = "PWRON";
    return record;
}

QStringList readLines(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts) : QStringList();
}

} // namespace

class TestOperatorView : public QObject
{
    Q_OBJECT

private:
    ScratchDirectory m_dir;
    ScriptedPrompts* m_prompts = nullptr;
    kvo_Form* m_form = nullptr;

    QStringList shownNames() const
    {
        QStringList names;
        for (int row = 0; row < m_form->ui.Player_iconView->count(); ++row)
            if (!m_form->ui.Player_iconView->isRowHidden(row))
                names << m_form->ui.Player_iconView->item(row)->text();
        return names;
    }
    QLineEdit* filterField() const { return m_form->findChild<QLineEdit*>("PlayerFilter_lineEdit"); }

private slots:
    void init()
    {
        QVERIFY(m_dir.isValid());
        QFile::remove(EventLog::kFileName);
        m_prompts = new ScriptedPrompts;
        m_form = new kvo_Form;
    }
    void cleanup()
    {
        delete m_form;
        delete m_prompts;
        PlayerItem::setClock({});
    }

    void nameOrder_data()
    {
        QTest::addColumn<QString>("left");
        QTest::addColumn<QString>("right");
        QTest::addColumn<bool>("less");
        QTest::newRow("numbers by value") << "Emu2" << "Emu10" << true;
        QTest::newRow("letter case ignored") << "alpha" << "Beta" << true;
        QTest::newRow("long numbers") << "P99999999999999999998" << "P99999999999999999999" << true;
        QTest::newRow("leading zeros: equal value, text decides") << "Emu007" << "Emu7" << true;
    }
    void nameOrder()
    {
        QFETCH(QString, left);
        QFETCH(QString, right);
        QFETCH(bool, less);
        QCOMPARE(playerNameLess(left, right), less);
    }

    void playersAreShownByName()
    {
        for (const QString name : {"Emu10", "emu2", "Alpha", "Emu1"})
            m_form->players()->AddNewPlayer(registration(name, "127.0.0." + QString::number(name.size() + 230)));
        QCOMPARE(shownNames(), QStringList({"Alpha", "Emu1", "emu2", "Emu10"}));
    }

    void filter_data()
    {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QStringList>("shown");
        QTest::newRow("name, any case") << "lobby" << QStringList{"Lobby 1", "Lobby 2"};
        QTest::newRow("address part") << ".0.0.244" << QStringList{"Shop"};
        QTest::newRow("every word must match") << "lobby 0.242" << QStringList{"Lobby 1"};
    }
    void filter()
    {
        QFETCH(QString, filter);
        QFETCH(QStringList, shown);
        int address = 241;
        for (const char* name : {"Cafe", "Lobby 1", "Lobby 2", "Shop"})
            m_form->players()->AddNewPlayer(registration(name, "127.0.0." + QString::number(address++)));
        QTest::keyClicks(filterField(), filter);
        QCOMPARE(shownNames(), shown);
    }

    void filterKeepsTheCurrentPlayerAndCoversNewArrivals()
    {
        m_form->players()->AddNewPlayer(registration("Cafe", "127.0.0.241"));
        m_form->players()->AddNewPlayer(registration("Shop", "127.0.0.244"));
        QListWidgetItem* cafe = m_form->ui.Player_iconView->findItems("Cafe", Qt::MatchExactly)[0];
        m_form->ui.Player_iconView->setCurrentItem(cafe);
        filterField()->setText("127.0.0.244");
        QCOMPARE(shownNames(), QStringList{"Shop"});
        QCOMPARE(m_form->ui.Player_iconView->currentItem(), cafe);

        // The address is set after the icon enters the view; the filter still sees it.
        m_form->players()->AddNewPlayer(registration("Annex", "127.0.0.244"));
        m_form->players()->AddNewPlayer(registration("Bar", "127.0.0.246"));
        QTRY_COMPARE(shownNames(), QStringList({"Annex", "Shop"}));
    }

    void eventsOfPlayers()
    {
        // A heartbeat is no event; the file holds what the pane shows; the fault of
        // the clock call to a player nobody answers names that player.
        m_form->players()->AddNewPlayer(registration("Cafe", "127.0.0.245"));
        m_form->players()->AddNewPlayer(registration("Cafe", "127.0.0.245"));
        QTRY_COMPARE_WITH_TIMEOUT(eventLines(m_form), (QStringList{"Player Cafe (127.0.0.245) is on line",
                                                             "Kivo.SyncDateTime failed on Cafe: Connection refused"}),
                                  10000);
        QCOMPARE(readLines(EventLog::kFileName).replaceInStrings(QRegularExpression("^.{19}  "), ""), eventLines(m_form));
    }

    void eventFileIsBoundedAndViewCapped()
    {
        delete m_form;
        m_form = nullptr;
        QListWidget view;
        const QString path = m_dir.filePath("bounded.log");
        {
            EventLog log(&view, path, 4096);
            for (int i = 0; i < EventLog::kViewLines + 50; ++i)
                recordEvent(QString("event %1\nsecond line").arg(i) + (i == EventLog::kViewLines + 48 ? QString(1000000, 'x') : QString()));
        }
        recordEvent("after the log is gone");   // nothing to write to, nothing breaks
        QCOMPARE(view.count(), EventLog::kViewLines);
        // A text of a megabyte just before the end is cut: the files keep their history.
        QVERIFY(view.item(view.count() - 2)->text().size() < EventLog::kLineLength + 60);
        QVERIFY(view.item(view.count() - 1)->text().endsWith(QString("event %1 second line").arg(EventLog::kViewLines + 49)));
        QVERIFY(QFileInfo(path).size() <= 4096);
        QVERIFY(QFileInfo(path + ".1").size() <= 4096 && QFileInfo(path + ".1").size() > 3000);
        const QStringList lines = readLines(path);
        QVERIFY(lines.last().endsWith(QString("event %1 second line").arg(EventLog::kViewLines + 49)));
        // Rotation loses no line: the older file ends right before the current one starts.
        const QStringList older = readLines(path + ".1");
        const QRegularExpression number("  event (\\d+) ");
        const int last = number.match(older.last()).captured(1).toInt();
        QVERIFY(last > 0);
        QCOMPARE(number.match(lines.first()).captured(1).toInt(), last + 1);
    }

    void faultPlayerName_data()
    {
        QTest::addColumn<QString>("owner");
        QTest::addColumn<QString>("clientName");
        QTest::addColumn<QString>("player");
        QTest::newRow("owner known") << "Shop" << "xml-rpc_clientCafe:127.0.0.2" << "Shop";
        QTest::newRow("colon in the name") << "" << "xml-rpc_clientA:B:127.0.0.2" << "A:B";
    }
    void faultPlayerName()
    {
        QFETCH(QString, owner);
        QFETCH(QString, clientName);
        QFETCH(QString, player);
        QObject client;
        client.setObjectName(clientName);
        QCOMPARE(events::faultPlayerName(owner, &client), player);
    }
};

QTEST_MAIN(TestOperatorView)
#include "tst_operatorview.moc"
