// The main window's form: the repository path field and the German catalogue.

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

    void repositoryPathIsShownWithoutBeingReported()
    {
        // An empty path reported as a change would raise a warning: none may appear.
        ScriptedPrompts prompts;
        setRepositoryPath(QString());
        QCOMPARE(kvo_Form().ui.MediaCenter_fileChooser->fileName(), QString());
        setRepositoryPath("/srv/media");
        QCOMPARE(kvo_Form().ui.MediaCenter_fileChooser->fileName(), QString("/srv/media"));
        QVERIFY(prompts.messages.isEmpty());
    }

    void operatorEditsRepositoryPath_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("kept");
        QTest::addColumn<QStringList>("shown");
        const QStringList refused{"Warning | Content Repository | The content repository path must not be empty. "
                                  "It remains \"/srv/media\"."};
        QTest::newRow("new path") << "/data/signage" << "/data/signage" << QStringList();
        QTest::newRow("empty") << "" << "/srv/media" << refused;
        QTest::newRow("blanks") << "   " << "/srv/media" << refused;
    }
    void operatorEditsRepositoryPath()
    {
        QFETCH(QString, typed);
        QFETCH(QString, kept);
        QFETCH(QStringList, shown);
        ScriptedPrompts prompts;
        kvo_Form form;
        QLineEdit* field = form.ui.MediaCenter_fileChooser->lineEdit();
        field->clear();
        QTest::keyClicks(field, typed);
        QTest::keyClick(field, Qt::Key_Return);
        QCOMPARE(repositoryPath(), kept);
        QCOMPARE(form.ui.MediaCenter_fileChooser->fileName(), kept);
        // "/srv/media" does not exist here: its own warning may show while the refusal is open.
        QCOMPARE(boxes(prompts).filter("| Content Repository |"), shown);
        // Only the operator's changes count, not the program's.
        form.ui.MediaCenter_fileChooser->setFileName("/elsewhere");
        QCOMPARE(repositoryPath(), kept);
    }

    void playlistViewKeepsThePlayersOrder()
    {
        kvo_Form form;
        QVERIFY(!form.ui.Playlist_listView->isSortingEnabled());
        QVERIFY(form.ui.Playlist_listView->isColumnHidden(2));  // LOCATION
    }

    void germanCatalogue()
    {
        QTranslator german;
        QVERIFY(german.load("kvosvr_de", KVO_BINARY_DIR));
        QVERIFY(QCoreApplication::installTranslator(&german));
        ScriptedPrompts prompts;  // answers the missing-repository warning
        kvo_Form form;
        QCOMPARE(form.windowTitle(), QString("KVO-Steuerung"));
        QCOMPARE(form.ui.Playlist_comboBox->itemText(0), QString("HAUPT-Wiedergabeliste (Video/ Bild gemischt)"));
        QCOMPARE(form.ui.Refresh_pushButton->text(), QString("Serverinhalt\nauffrischen"));
        QCOMPARE(form.ui.Playlist_listView->headerItem()->text(4), QString("DAUER"));
        // The path is data, not a text to translate.
        QCOMPARE(form.ui.MediaCenter_fileChooser->fileName(), QString("/srv/media"));

        // Removing the catalogue while the window is open puts the original texts back.
        QVERIFY(QCoreApplication::removeTranslator(&german));
        QCoreApplication::sendPostedEvents();
        QCOMPARE(form.windowTitle(), QString("KVO Controller"));
        QCOMPARE(form.ui.Playlist_comboBox->count(), 4);
        QCOMPARE(form.ui.MediaCenter_fileChooser->fileName(), QString("/srv/media"));
    }
};

QTEST_MAIN(TestKvoForm)
#include "tst_kvoform.moc"
