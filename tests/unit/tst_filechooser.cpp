// What the file chooser reports as the operator's change of name. That a name
// set by the program is no change is shown by the main window's repository path (tst_kvoform).

#include "ui/filechooser.h"

#include "../peers/scriptedprompts.h"

#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

// Scripted answers that also record which chooser opened and where it started.
struct RecordingPrompts : ScriptedPrompts
{
    QStringList opened;
    QString existingDirectory(QWidget* parent, const QString& caption, const QString& start) override
    {
        opened << "directory" << start;
        return ScriptedPrompts::existingDirectory(parent, caption, start);
    }
    QString openFileName(QWidget* parent, const QString& caption, const QString& start, const QString& filter) override
    {
        opened << "file" << start;
        return ScriptedPrompts::openFileName(parent, caption, start, filter);
    }
};

class TestFileChooser : public QObject
{
    Q_OBJECT

private slots:
    void changes_data()
    {
        QTest::addColumn<QString>("action"); // "Return" or "focus out" after typing, or the chooser browsed
        QTest::addColumn<QString>("input");  // the text typed, or the chooser's answer ("" cancels)
        QTest::addColumn<QString>("shown");
        QTest::addColumn<bool>("reported");
        QTest::newRow("typed") << "Return" << "/data/signage" << "/data/signage" << true;
        QTest::newRow("same path typed") << "Return" << "/srv/media" << "/srv/media" << false;
        QTest::newRow("cleared") << "Return" << "" << "" << true;
        QTest::newRow("typed, focus leaves") << "focus out" << "/srv/new" << "/srv/new" << true;
        QTest::newRow("directory picked") << "directory" << "/data/signage" << "/data/signage" << true;
        QTest::newRow("directory cancelled") << "directory" << "" << "/srv/media" << false;
        QTest::newRow("same directory picked") << "directory" << "/srv/media" << "/srv/media" << false;
        QTest::newRow("file picked") << "file" << "/srv/media/clip.mpg" << "/srv/media/clip.mpg" << true;
    }
    void changes()
    {
        QFETCH(QString, action);
        QFETCH(QString, input);
        QFETCH(QString, shown);
        QFETCH(bool, reported);
        const bool browsing = action == "directory" || action == "file";
        RecordingPrompts prompts;
        prompts.fileAnswers = {input};
        FileChooser chooser;
        chooser.setMode(action == "file" ? FileChooser::File : FileChooser::Directory);
        chooser.setFileName("/srv/media");
        QSignalSpy spy(&chooser, &FileChooser::fileNameChanged);
        QFocusEvent focusOut(QEvent::FocusOut, Qt::TabFocusReason);
        if (browsing) {
            chooser.browseButton()->click();
        } else {
            chooser.lineEdit()->selectAll();
            chooser.lineEdit()->insert(input);
            QCOMPARE(spy.count(), 0); // nothing while editing
            if (action == "Return")
                QTest::keyClick(chooser.lineEdit(), Qt::Key_Return);
            else
                QCoreApplication::sendEvent(chooser.lineEdit(), &focusOut);
        }
        QCOMPARE(spy.count(), reported ? 1 : 0);
        QTest::keyClick(chooser.lineEdit(), Qt::Key_Return); // finishing again is no change
        QCOMPARE(prompts.opened, (browsing ? QStringList{action, "/srv/media"} : QStringList{}));
        QCOMPARE(chooser.fileName(), shown);
        QCOMPARE(spy.count(), reported ? 1 : 0);
        QCOMPARE(spy.value(0).value(0).toString(), reported ? shown : QString());
    }
};

QTEST_MAIN(TestFileChooser)
#include "tst_filechooser.moc"
