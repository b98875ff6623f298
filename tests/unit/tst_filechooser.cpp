// What the file chooser reports as the operator's change of name (a name the program sets: tst_kvoform).

#include "ui/filechooser.h"

#include "../peers/scriptedprompts.h"

#include <QtTest>
#include <QtWidgets>

class TestFileChooser : public QObject
{
    Q_OBJECT

private slots:
    void changes_data()
    {
        QTest::addColumn<bool>("browse"); // else typed and finished with Return
        QTest::addColumn<QString>("input");  // the text typed, or the chooser's answer ("" cancels)
        QTest::addColumn<QString>("reported"); // "" when nothing is, and "/srv/media" stays
        QTest::newRow("typed") << false << "/data/signage" << "/data/signage";
        QTest::newRow("same path typed") << false << "/srv/media" << "";
        QTest::newRow("picked") << true << "/data/signage" << "/data/signage";
        QTest::newRow("cancelled") << true << "" << "";
    }
    void changes()
    {
        QFETCH(bool, browse);
        QFETCH(QString, input);
        QFETCH(QString, reported);
        ScriptedPrompts prompts;
        prompts.fileAnswers = {input};
        FileChooser chooser;
        chooser.setFileName("/srv/media");
        QSignalSpy spy(&chooser, &FileChooser::fileNameChanged);
        if (browse) {
            chooser.browseButton()->click();
        } else {
            chooser.lineEdit()->selectAll();
            chooser.lineEdit()->insert(input);
            QTest::keyClick(chooser.lineEdit(), Qt::Key_Return);
        }
        QTest::keyClick(chooser.lineEdit(), Qt::Key_Return); // finishing again is no change
        QCOMPARE(chooser.fileName(), reported.isEmpty() ? QString("/srv/media") : reported);
        QCOMPARE(spy.count(), reported.isEmpty() ? 0 : 1);
        QCOMPARE(spy.value(0).value(0).toString(), reported);
    }
};

QTEST_MAIN(TestFileChooser)
#include "tst_filechooser.moc"
