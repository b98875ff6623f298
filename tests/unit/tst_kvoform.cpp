// The main window's form: the repository path field, the playlist view and the German catalogue.

#include "core/repositorypath.h"
#include "window/kvo_form.h"

#include "../peers/boxes.h"

#include <QLineEdit>
#include <QTest>
#include <QTranslator>

class TestKvoForm : public QObject
{
    Q_OBJECT

private slots:
    void init() { setRepositoryPath("/srv/media"); }

    void formShowsThePathAndKeepsThePlaylistOrder()
    {
        // An empty path reported as a change would raise a warning: none may appear.
        ScriptedPrompts prompts;
        setRepositoryPath(QString());
        QCOMPARE(kvo_Form().ui.MediaCenter_fileChooser->fileName(), QString());
        setRepositoryPath("/srv/media");
        kvo_Form form;
        QCOMPARE(form.ui.MediaCenter_fileChooser->fileName(), QString("/srv/media"));
        QVERIFY(prompts.messages.isEmpty());
        QVERIFY(!form.ui.Playlist_listView->isSortingEnabled());
    }

    void operatorEditsRepositoryPath()
    {
        ScriptedPrompts prompts;
        kvo_Form form;
        QLineEdit* field = form.ui.MediaCenter_fileChooser->lineEdit();
        for (const QString typed : {"   ", "/data/signage"}) {
            field->clear();
            QTest::keyClicks(field, typed);
            QTest::keyClick(field, Qt::Key_Return);
            // The refusal once ("/srv/media" does not exist here: its own warning may show too).
            QCOMPARE(boxes(prompts).filter("| Content Repository |"),
                     QStringList{"Warning | Content Repository | The content repository path must not be empty. It "
                                 "remains \"/srv/media\"."});
            QCOMPARE(form.ui.MediaCenter_fileChooser->fileName() + "|" + repositoryPath(),
                     typed.trimmed().isEmpty() ? "/srv/media|/srv/media" : "/data/signage|/data/signage");
        }
        // Only the operator's changes count, not the program's.
        form.ui.MediaCenter_fileChooser->setFileName("/elsewhere");
        QCOMPARE(repositoryPath(), QString("/data/signage"));
    }

    void germanCatalogue()
    {
        QTranslator german;
        QVERIFY(german.load("kvosvr_de", KVO_BINARY_DIR) && QCoreApplication::installTranslator(&german));
        ScriptedPrompts prompts;  // answers the missing-repository warning
        kvo_Form form;
        QCOMPARE(form.windowTitle(), QString("KVO-Steuerung"));
        // Removing the catalogue while the window is open puts the original texts back; the path is data.
        QVERIFY(QCoreApplication::removeTranslator(&german));
        QCoreApplication::sendPostedEvents();
        QCOMPARE(form.windowTitle(), QString("KVO Controller"));
        QCOMPARE(form.ui.MediaCenter_fileChooser->fileName(), QString("/srv/media"));
    }
};

QTEST_MAIN(TestKvoForm)
#include "tst_kvoform.moc"
