// What the window offers the operator of a large fleet: players in name order
// with a tool tip each, the filter field, the events pane and file, accessible
// names, and splitter positions kept between runs.

#include "core/displaytext.h"
#include "core/repositorypath.h"
#include "players/playeritem.h"
#include "players/playerscontroller.h"
#include "players/playerview.h"
#include "players/registrationrecord.h"
#include "ui/accessibility.h"
#include "ui/events.h"
#include "window/kvo_form.h"

#include "../peers/scratchdir.h"
#include "../peers/scriptedprompts.h"

#include <QtTest>
#include <QtWidgets>

using namespace RegistrationField;

namespace {

QStringList registration(const QString& name, const QString& address, const QString& power = "PWRON")
{
    QStringList record(Count);
    record[Name] = name;
    record[Address] = address;
    record[Playing] = "intro.mpg";
    record[DmzFlag] = "off";
    record[PowerState] = power;
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
    QListWidget* eventsView() const { return m_form->findChild<QListWidget*>("Events_listWidget"); }
    // The events pane's lines without their time stamp.
    QStringList viewEvents() const
    {
        QStringList lines;
        for (int row = 0; row < eventsView()->count(); ++row)
            lines << eventsView()->item(row)->text().section("  ", 1);
        return lines;
    }

private slots:
    void init()
    {
        QVERIFY(m_dir.isValid());
        QFile::remove(EventLog::kFileName);
        setRepositoryPath(m_dir.filePath("media"));
        m_prompts = new ScriptedPrompts;
        m_prompts->nestedLoopMs = 20;
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
        QTest::newRow("and not the other way") << "Emu10" << "Emu2" << false;
        QTest::newRow("letter case ignored") << "alpha" << "Beta" << true;
        QTest::newRow("leading zeros: equal value, text decides") << "Emu007" << "Emu7" << true;
        QTest::newRow("prefix first") << "Lobby" << "Lobby 2" << true;
        QTest::newRow("long numbers") << "P99999999999999999998" << "P99999999999999999999" << true;
        QTest::newRow("equal") << "Same" << "Same" << false;
    }
    void nameOrder()
    {
        QFETCH(QString, left);
        QFETCH(QString, right);
        QFETCH(bool, less);
        QCOMPARE(playerNameLess(left, right), less);
    }

    void playersAreShownByNameWithToolTips()
    {
        for (const QString name : {"Emu10", "emu2", "Alpha", "Emu1"})
            m_form->players()->AddNewPlayer(registration(name, "127.0.0." + QString::number(name.size() + 230)));
        m_form->players()->AddNewPlayer(registration("Dark", "127.0.0.240", "PWROFF"));
        QCOMPARE(shownNames(), QStringList({"Alpha", "Dark", "Emu1", "emu2", "Emu10"}));

        const auto* dark = static_cast<PlayerItem*>(m_form->ui.Player_iconView->findItems("Dark", Qt::MatchExactly)[0]);
        const QString tip = dark->data(Qt::ToolTipRole).toString();
        for (const QString& part : {QString("Name: Dark"), QString("Address: 127.0.0.240"), QString("Power: off"),
                                    QString("Playing: intro.mpg"), "Last contact: " + dark->lastActiveText()})
            QVERIFY2(tip.contains(part), qPrintable(tip));
        QCOMPARE(plainTextAsHtml(dark->data(Qt::AccessibleDescriptionRole).toString()), tip);
        // The icon text stays the name alone.
        QCOMPARE(dark->data(Qt::DisplayRole).toString(), QString("Dark"));
    }

    void filter_data()
    {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QStringList>("shown");
        const QStringList all{"Cafe", "Lobby 1", "Lobby 2", "Shop"};
        QTest::newRow("empty") << "" << all;
        QTest::newRow("blank") << "   " << all;
        QTest::newRow("name, any case") << "lobby" << QStringList{"Lobby 1", "Lobby 2"};
        QTest::newRow("address") << "127.0.0.243" << QStringList{"Lobby 2"};
        QTest::newRow("address part") << ".0.0.244" << QStringList{"Shop"};
        QTest::newRow("every word must match") << "lobby 0.242" << QStringList{"Lobby 1"};
        QTest::newRow("nothing") << "kitchen" << QStringList{};
    }
    void filter()
    {
        QFETCH(QString, filter);
        QFETCH(QStringList, shown);
        int address = 241;
        for (const QString& name : {"Cafe", "Lobby 1", "Lobby 2", "Shop"})
            m_form->players()->AddNewPlayer(registration(name, "127.0.0." + QString::number(address++)));
        QTest::keyClicks(filterField(), filter);
        QCOMPARE(shownNames(), shown);
        filterField()->clear();
        QCOMPARE(shownNames().size(), 4);
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
        m_form->players()->AddNewPlayer(registration("Cafe", "127.0.0.245"));
        m_form->players()->AddNewPlayer(registration("Cafe", "127.0.0.245"));   // a heartbeat is no event
        m_form->players()->AddNewPlayer(registration("cafe", "127.0.0.247"));   // a duplicate
        auto* cafe = static_cast<PlayerItem*>(m_form->ui.Player_iconView->item(0));
        m_form->players()->delete_player(cafe);
        const QStringList expected{"Player Cafe (127.0.0.245) is on line",
                                   "Duplicated player refused: cafe (127.0.0.247) uses the name of Cafe (127.0.0.245)",
                                   "Player Cafe goes offline!"};
        // The clock call to nobody fails at some point in between: compared apart.
        const QRegularExpression playerEvent("^(Player|Duplicated)");
        QCOMPARE(viewEvents().filter(playerEvent), expected);
        const QStringList fileLines = readLines(EventLog::kFileName);
        QCOMPARE(QStringList(fileLines).replaceInStrings(QRegularExpression("^.{19}  "), "").filter(playerEvent), expected);
        QVERIFY2(QRegularExpression("^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d  Player Cafe").match(fileLines[0]).hasMatch(),
                 qPrintable(fileLines[0]));

        // The fault of the clock call to the player nobody answers names the player.
        QTRY_VERIFY_WITH_TIMEOUT(viewEvents().size() == 4, 10000);
        QCOMPARE(viewEvents().filter("Kivo."), QStringList{"Kivo.SyncDateTime failed on Cafe: Connection refused"});
    }

    void eventFileIsBoundedAndViewCapped()
    {
        delete m_form;
        m_form = nullptr;
        QListWidget view;
        const QString path = m_dir.filePath("bounded.log");
        QFile::remove(path);
        QFile::remove(path + ".1");
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
        QVERIFY(QFileInfo(path + ".1").size() <= 4096);
        QVERIFY(QFileInfo(path + ".1").size() > 3000);
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
        QTest::newRow("from the client") << "" << "xml-rpc_clientCafe:127.0.0.2" << "Cafe";
        QTest::newRow("colon in the name") << "" << "xml-rpc_clientA:B:127.0.0.2" << "A:B";
        QTest::newRow("another object") << "" << "something" << "";
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

    void everyControlHasAnAccessibleName()
    {
        QStringList unnamed;
        for (QWidget* widget : m_form->findChildren<QWidget*>()) {
            const bool control = qobject_cast<QAbstractButton*>(widget) || qobject_cast<QAbstractItemView*>(widget)
                || qobject_cast<QComboBox*>(widget) || qobject_cast<QProgressBar*>(widget)
                || (qobject_cast<QLineEdit*>(widget) && !qobject_cast<QComboBox*>(widget->parentWidget()));
            // Hidden helpers (a field's clear button, the menu bar's overflow) are not offered.
            if (control && !widget->isHidden() && widget->accessibleName().isEmpty())
                unnamed << widget->objectName() + " (" + widget->metaObject()->className() + ")";
            QVERIFY2(!widget->accessibleName().contains('\n'), qPrintable(widget->objectName()));
        }
        QVERIFY2(unnamed.isEmpty(), qPrintable(unnamed.join(", ")));
        // The status bar's name stays its message.
        QVERIFY(m_form->statusBar()->accessibleName().isEmpty());
    }

    void dialogFieldsAreNamed_data()
    {
        QTest::addColumn<QString>("explicitName");
        QTest::addColumn<QStringList>("names");
        QTest::newRow("derived") << "" << QStringList{"Player name", "Volume level", "Network", "OK", "Browse"};
        QTest::newRow("explicit name kept") << "Name of the player" << QStringList{"Name of the player", "Volume level", "Network", "OK", "Browse"};
    }
    void dialogFieldsAreNamed()
    {
        QFETCH(QString, explicitName);
        QFETCH(QStringList, names);
        QDialog dialog;
        auto* layout = new QVBoxLayout(&dialog);
        auto* label = new QLabel("&Player name:", &dialog);
        auto* name = new QLineEdit(&dialog);
        name->setAccessibleName(explicitName);
        label->setBuddy(name);
        auto* volume = new QSpinBox(&dialog);
        volume->setToolTip("Volume level");
        auto* group = new QGroupBox("Network", &dialog);
        auto* address = new QLineEdit(group);
        (new QVBoxLayout(group))->addWidget(address);
        auto* ok = new QPushButton("&OK", &dialog);
        auto* browse = new QToolButton(&dialog);
        browse->setToolTip("Browse");
        for (QWidget* widget : std::initializer_list<QWidget*>{label, name, volume, group, ok, browse})
            layout->addWidget(widget);
        nameWidgetsForAccessibility(&dialog);
        QCOMPARE(QStringList({name->accessibleName(), volume->accessibleName(), address->accessibleName(),
                              ok->accessibleName(), browse->accessibleName()}),
                 names);
        // Derived names follow a new text; explicit ones stay.
        label->setText("Display name:");
        nameWidgetsForAccessibility(&dialog);
        QCOMPARE(name->accessibleName(), explicitName.isEmpty() ? QString("Display name") : explicitName);
        // A rich-text label gives its plain words, not its markup.
        label->setText("<b>Shown name</b>:");
        nameWidgetsForAccessibility(&dialog);
        QCOMPARE(name->accessibleName(), explicitName.isEmpty() ? QString("Shown name") : explicitName);
    }

    void splitterPositionsAreKept()
    {
        m_form->resize(1000, 800);
        m_form->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_form));
        // The players get at least a third of the height by default.
        const QList<int> defaults = m_form->ui.splitter6->sizes();
        QVERIFY2(defaults[0] * 3 >= defaults[0] + defaults[1], qPrintable(QString::number(defaults[0])));

        const int total = defaults[0] + defaults[1];
        m_form->ui.splitter6->setSizes({total / 4, total - total / 4});
        const QList<int> chosen = m_form->ui.splitter6->sizes();
        const QList<int> columns = {100, 500, 200};
        m_form->ui.splitter3->setSizes(columns);
        const QList<int> chosenColumns = m_form->ui.splitter3->sizes();
        delete m_form;

        m_form = new kvo_Form;
        m_form->resize(1000, 800);
        m_form->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_form));
        QCOMPARE(m_form->ui.splitter6->sizes(), chosen);
        QCOMPARE(m_form->ui.splitter3->sizes(), chosenColumns);
    }
};

QTEST_MAIN(TestOperatorView)
#include "tst_operatorview.moc"
