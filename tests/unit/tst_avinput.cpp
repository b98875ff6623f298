// AV input items: the dialog's choices, the two lines of the ".cap" file, and
// the item in the repository listing.

#include "core/repositorypath.h"
#include "content/repositorylister.h"
#include "window/kvo_form.h"

#include "../peers/boxes.h"
#include "../peers/scratchdir.h"

#include <QComboBox>
#include <QPushButton>
#include <QtTest>

namespace {

QByteArray contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<none>");
}

QStringList itemsOf(const QComboBox* box)
{
    QStringList items;
    for (int index = 0; box && index < box->count(); ++index)
        items << box->itemText(index);
    return items;
}

} // namespace

class TestAVInput : public QObject
{
    Q_OBJECT

private:
    ScratchDirectory m_dir;

    QString video(const QString& name) const { return repositoryPath() + "/Video/" + name; }

private slots:
    void init()
    {
        QVERIFY(m_dir.isValid());
        QDir(repositoryPath()).removeRecursively();
        QVERIFY(QDir().mkpath(video("")));
    }

    void dialogOffersTheChoices()
    {
        ScriptedPrompts prompts;
        kvo_Form form;
        QStringList seen;
        prompts.dialogScripts << [&seen](QDialog* dialog) {
            seen << dialog->windowTitle() << dialog->parentWidget()->objectName();
            for (const char* name : {"CaptureBoard_comboBox", "AVinSource_comboBox", "VideoFormat_comboBox"}) {
                const auto* box = dialog->findChild<QComboBox*>(name);
                seen << QString(name) + ": " + itemsOf(box).join(", ") + (box && box->isEditable() ? " editable" : "");
            }
            dialog->findChild<QPushButton*>("buttonCancel")->click();
        };
        form.ui.ExtAVin_pushButton->click();
        QCOMPARE(prompts.dialogs, QStringList{"AVInputDialog"});
        QCOMPARE(seen, (QStringList{"Creat AV Input Item", "kvo_Form", "CaptureBoard_comboBox: vin116a",
                                    "AVinSource_comboBox: CVBS1, SVideo1",
                                    "VideoFormat_comboBox: NTSC_M, PAL_60, PAL_BG"}));
        // Cancelling the dialog asks for no name and writes nothing.
        QVERIFY(prompts.otherPrompts.isEmpty());
        QCOMPARE(QDir(video("")).entryList(QDir::Files | QDir::Hidden), QStringList{});
    }

    void savesTheTwoLines_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("format");
        QTest::addColumn<QStringList>("names");  // answers of the name prompt; none: cancelled
        QTest::addColumn<bool>("videoFolder");
        QTest::addColumn<QString>("file");
        QTest::addColumn<QByteArray>("written");
        QTest::addColumn<QStringList>("shown");
        QTest::newRow("SVideo1, PAL_60") << "SVideo1" << "PAL_60" << QStringList{"cam1"} << true << "cam1.cap"
                                         << QByteArray("-I vin116a SVideo1\n-if PAL_60\n") << QStringList{};
        QTest::newRow("overwritten without a question")
            << "CVBS1" << "PAL_BG" << QStringList{"old"} << true << "old.cap"
            << QByteArray("-I vin116a CVBS1\n-if PAL_BG\n") << QStringList{};
        QTest::newRow("typed extension kept") << "CVBS1" << "NTSC_M" << QStringList{"cam1.cap"} << true
                                              << "cam1.cap.cap" << QByteArray("-I vin116a CVBS1\n-if NTSC_M\n")
                                              << QStringList{};
        QTest::newRow("name cancelled") << "CVBS1" << "NTSC_M" << QStringList{} << true << "" << QByteArray()
                                        << QStringList{};
        QTest::newRow("empty name") << "CVBS1" << "NTSC_M" << QStringList{" "} << true << "" << QByteArray()
                                    << QStringList{};
        QTest::newRow("no Video folder") << "CVBS1" << "NTSC_M" << QStringList{"cam1"} << false << "" << QByteArray()
                                         << QStringList{"Warning | Saving capture file | Fail saving file %1/Video/cam1.cap"};
        QTest::newRow("name leaving the folder") << "CVBS1" << "NTSC_M" << QStringList{"../cam1"} << true << ""
                                                 << QByteArray()
                                                 << QStringList{"Warning | Saving capture file | The name ../cam1 "
                                                                "must not contain \"/\" or \"\\\"."};
    }
    void savesTheTwoLines()
    {
        QFETCH(QString, source);
        QFETCH(QString, format);
        QFETCH(QStringList, names);
        QFETCH(bool, videoFolder);
        QFETCH(QString, file);
        QFETCH(QByteArray, written);
        QFETCH(QStringList, shown);
        QVERIFY(QFile(video("old.cap")).open(QIODevice::WriteOnly));
        if (!videoFolder)
            QVERIFY(QDir(video("")).removeRecursively());
        ScriptedPrompts prompts;
        prompts.nestedLoopMs = 20;
        kvo_Form form;
        QTRY_VERIFY(!form.repositoryLister()->isBusy());
        prompts.textAnswers = names;
        prompts.dialogScripts << [&](QDialog* dialog) {
            dialog->findChild<QComboBox*>("AVinSource_comboBox")->setCurrentText(source);
            dialog->findChild<QComboBox*>("VideoFormat_comboBox")->setCurrentText(format);
            dialog->findChild<QPushButton*>("buttonOk")->click();
        };
        form.CreateExtAVinItem();
        QCOMPARE(prompts.otherPrompts, QStringList{"Save AV input file"});
        QStringList expectedBoxes;
        for (const QString& box : shown)
            expectedBoxes << (box.contains("%1") ? box.arg(repositoryPath()) : box);
        QCOMPARE(boxes(prompts), expectedBoxes);
        QStringList expectedFiles{"old.cap"};
        if (!file.isEmpty() && file != "old.cap")
            expectedFiles.prepend(file);
        if (!videoFolder)
            expectedFiles.clear();
        QCOMPARE(QDir(video("")).entryList(QDir::Files | QDir::Hidden, QDir::Name), expectedFiles);
        QVERIFY(!QFileInfo::exists(repositoryPath() + "/cam1.cap"));
        if (file.isEmpty())
            return;
        QCOMPARE(contents(video(file)), written);

        // The refresh after saving lists the item as a capture.
        QTRY_VERIFY(!form.repositoryLister()->isBusy());
        const auto rows = form.ui.ServerContents_listView->findItems(file, Qt::MatchExactly | Qt::MatchRecursive);
        QCOMPARE(rows.size(), 1);
        QCOMPARE(rows.first()->parent()->text(0), QString("Video"));
        QCOMPARE((QStringList{rows.first()->text(2), rows.first()->text(3), rows.first()->text(4)}),
                 (QStringList{"media", "capture", "N/A"}));
    }
};

QTEST_MAIN(TestAVInput)
#include "tst_avinput.moc"
