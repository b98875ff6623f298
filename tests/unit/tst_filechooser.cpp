// The file chooser: what it reports as the operator's change of name, typed or
// picked, and what it does not. That a name set by the program is no change is
// shown by the main window's repository path (tst_kvoform).

#include "ui/filechooser.h"
#include "ui/prompts.h"

#include "../peers/scratchdir.h"

#include <QApplication>
#include <QFocusEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

namespace {

// Scripted answers that also record which chooser was opened and where it started.
class RecordingPrompts : public ScriptedPrompts
{
public:
    QStringList opened; // "directory" or "file", then the start location

    QString existingDirectory(QWidget* parent, const QString& caption, const QString& directory) override
    {
        opened << "directory" << directory;
        return ScriptedPrompts::existingDirectory(parent, caption, directory);
    }
    QString openFileName(QWidget* parent, const QString& caption, const QString& directory,
                         const QString& filter) override
    {
        opened << "file" << directory;
        return ScriptedPrompts::openFileName(parent, caption, directory, filter);
    }
};

QStringList reported(const QSignalSpy& spy)
{
    QStringList names;
    for (const QList<QVariant>& arguments : spy)
        names << arguments.at(0).toString();
    return names;
}

} // namespace

class TestFileChooser : public QObject
{
    Q_OBJECT

private:
    ScratchDirectory m_workDir;

private slots:
    void initTestCase() { QVERIFY(m_workDir.isValid()); }

    void editing_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("new path") << "/data/signage" << QStringList{"/data/signage"};
        QTest::newRow("same path typed again") << "/srv/media" << QStringList{};
        QTest::newRow("cleared") << "" << QStringList{""};
        QTest::newRow("non-ASCII path") << "/médias/Ölfilm" << QStringList{"/médias/Ölfilm"};
    }
    void editing()
    {
        QFETCH(QString, typed);
        QFETCH(QStringList, expected);
        FileChooser chooser;
        chooser.setFileName("/srv/media");
        QSignalSpy changes(&chooser, &FileChooser::fileNameChanged);
        chooser.lineEdit()->selectAll();
        chooser.lineEdit()->insert(typed); // as typed: keyClicks() takes ASCII only
        QCOMPARE(changes.count(), 0);      // nothing while editing
        QTest::keyClick(chooser.lineEdit(), Qt::Key_Return);
        QTest::keyClick(chooser.lineEdit(), Qt::Key_Return); // a second Return changes nothing
        QCOMPARE(reported(changes), expected);
        QCOMPARE(chooser.fileName(), typed);
    }

    void focusLeavingAfterReturnReportsOnce()
    {
        FileChooser chooser;
        chooser.setFileName("/srv/media");
        QSignalSpy changes(&chooser, &FileChooser::fileNameChanged);
        chooser.lineEdit()->clear();
        QTest::keyClicks(chooser.lineEdit(), "/srv/new");
        QFocusEvent focusOut(QEvent::FocusOut, Qt::TabFocusReason);
        QApplication::sendEvent(chooser.lineEdit(), &focusOut);
        QCOMPARE(reported(changes), QStringList{"/srv/new"});
        QTest::keyClick(chooser.lineEdit(), Qt::Key_Return);
        QCOMPARE(reported(changes), QStringList{"/srv/new"});
    }

    void browsing_data()
    {
        QTest::addColumn<FileChooser::Mode>("mode");
        QTest::addColumn<QStringList>("answers");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("directory picked") << FileChooser::Directory << QStringList{"/data/signage"} << "/data/signage"
                                          << QStringList{"/data/signage"};
        QTest::newRow("directory cancelled") << FileChooser::Directory << QStringList{} << "/srv/media" << QStringList{};
        QTest::newRow("same directory picked") << FileChooser::Directory << QStringList{"/srv/media"} << "/srv/media"
                                               << QStringList{};
        QTest::newRow("file picked") << FileChooser::File << QStringList{"/srv/media/clip.mpg"}
                                     << "/srv/media/clip.mpg" << QStringList{"/srv/media/clip.mpg"};
    }
    void browsing()
    {
        QFETCH(FileChooser::Mode, mode);
        QFETCH(QStringList, answers);
        QFETCH(QString, shown);
        QFETCH(QStringList, expected);
        RecordingPrompts prompts;
        prompts.fileAnswers = answers;
        FileChooser chooser;
        chooser.setMode(mode);
        chooser.setFileName("/srv/media");
        QSignalSpy changes(&chooser, &FileChooser::fileNameChanged);
        chooser.browseButton()->click();
        QCOMPARE(prompts.opened, (QStringList{mode == FileChooser::File ? "file" : "directory", "/srv/media"}));
        QCOMPARE(chooser.fileName(), shown);
        QCOMPARE(reported(changes), expected);
        QVERIFY(prompts.messages.isEmpty());
    }
};

QTEST_MAIN(TestFileChooser)
#include "tst_filechooser.moc"
