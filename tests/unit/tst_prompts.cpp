// The scripted prompts behave like real modal boxes, dialogs and menus.

#include "../peers/scriptedprompts.h"

#include <QDialog>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

class TestPrompts : public QObject
{
    Q_OBJECT

private slots:
    void boxServesEventsWhileOpen();
    void menuRecordsEntriesAndChooses_data();
    void menuRecordsEntriesAndChooses();
    void dialogScriptFillsAndCloses();
};

void TestPrompts::boxServesEventsWhileOpen()
{
    ScriptedPrompts prompts;
    // Unless told otherwise, a box is open long enough for the next timer round.
    bool fired = false;
    QTimer::singleShot(5, [&fired] { fired = true; });
    showInformation(nullptr, "Title", "Text");
    QVERIFY(fired);

    prompts.nestedLoopMs = 50;
    fired = false;
    QTimer::singleShot(0, [&fired] { fired = true; });
    showWarning(nullptr, "Title", "Text");
    QVERIFY(fired);

    bool later = false;
    QTimer::singleShot(30, [&later] { later = true; });
    prompts.answerWhen = [&later] { return later; };
    askQuestion(nullptr, "Q", "Sure?");
    QVERIFY(later);
}

void TestPrompts::menuRecordsEntriesAndChooses_data()
{
    QTest::addColumn<QVariant>("answer");
    QTest::addColumn<QString>("chosen");
    QTest::newRow("by id") << QVariant(2) << "Second";
    QTest::newRow("by text in a submenu") << QVariant("Deep") << "Deep";
    QTest::newRow("nothing") << QVariant() << "";
    QTest::newRow("no such entry") << QVariant(99) << "";
}

void TestPrompts::menuRecordsEntriesAndChooses()
{
    QFETCH(QVariant, answer);
    QFETCH(QString, chosen);
    ScriptedPrompts prompts;
    prompts.menuAnswers << answer;
    QMenu menu;
    menu.addAction("&First")->setData(1);
    menu.addSeparator();
    QAction* second = menu.addAction("Second");
    second->setData(2);
    second->setCheckable(true);
    second->setChecked(true);
    menu.addMenu("Group")->addAction("Deep")->setData(3);

    QAction* action = prompts.execMenu(&menu, QPoint());
    QCOMPARE(action ? action->text() : QString(), chosen);
    QCOMPARE(ScriptedPrompts::entryTexts(prompts.menus.value(0)),
             QStringList({"First", "-", "Second", "Group", "  Deep"}));
    QVERIFY(prompts.menus.value(0).value(2).checked);
    QCOMPARE(prompts.menus.value(0).value(4).id, QVariant(3));
}

void TestPrompts::dialogScriptFillsAndCloses()
{
    ScriptedPrompts prompts;
    prompts.nestedLoopMs = 10;
    QDialog dialog;
    dialog.setObjectName("SampleDialog");
    auto* field = new QLineEdit(&dialog);
    field->setObjectName("value_lineEdit");
    auto* ok = new QPushButton("OK", &dialog);
    ok->setObjectName("buttonOk");
    connect(ok, &QPushButton::clicked, &dialog, &QDialog::accept);

    prompts.dialogScripts << [](QDialog* d) {
        d->findChild<QLineEdit*>("value_lineEdit")->setText("42");
        d->findChild<QPushButton*>("buttonOk")->click();
    };
    QCOMPARE(prompts.execDialog(&dialog), int(QDialog::Accepted));
    QCOMPARE(field->text(), QString("42"));

    // Left open by its script, or with no script at all: rejected, and hidden.
    prompts.dialogScripts << [](QDialog*) {};
    QCOMPARE(prompts.execDialog(&dialog), int(QDialog::Rejected));
    QCOMPARE(prompts.execDialog(&dialog), int(QDialog::Rejected));
    QVERIFY(!dialog.isVisible());
    QCOMPARE(prompts.dialogs, QStringList({"SampleDialog", "SampleDialog", "SampleDialog"}));
}

QTEST_MAIN(TestPrompts)
#include "tst_prompts.moc"

#include "../peers/scriptedprompts.h"
