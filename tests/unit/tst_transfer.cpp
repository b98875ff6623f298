// Sending repository files to the shown player: the JPEG marker scan, the
// picture checks, the copy into a virtual player's "contents" that runs from
// the event loop, and the transfer strip showing the shown player's downloads.

#include "content/shownplayer.h"
#include "content/transfer.h"
#include "core/repositorypath.h"

#include "../peers/contenthost.h"

#include <QImageWriter>
#include <QtTest>

namespace {

// kind: "jpeg", "progressive", "png" or "garbage".
bool makePicture(const QString& path, const QString& kind, QSize size)
{
    if (kind == "garbage")
        return writeFile(path, "not a picture");
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    QImageWriter writer(path, kind == "png" ? "png" : "jpeg");
    writer.setProgressiveScanWrite(kind == "progressive");
    return QDir().mkpath(QFileInfo(path).path()) && writer.write(image);
}

} // namespace

class TestTransfer : public QObject
{
    Q_OBJECT

private:
    ScratchDirectory m_dir;
    std::unique_ptr<ContentHost> m_host;
    QString m_contents;

    QString repository(const QString& relative) const { return repositoryPath() + "/" + relative; }
    // A repository row for relative, under folder rows as needed, double-clicked.
    QTreeWidgetItem* row(const QString& relative)
    {
        QTreeWidgetItem* parent = m_host->widgets.repositoryView->invisibleRootItem();
        const QStringList names = relative.split('/');
        for (const QString& folder : names.mid(0, names.size() - 1))
            parent = new QTreeWidgetItem(parent, {folder, "", parent->parent() ? "DIR" : "DIRECTORY"});
        return new QTreeWidgetItem(parent, {names.last(), "1", ""});
    }
    void doubleClick(QTreeWidgetItem* row) { emit m_host->widgets.repositoryView->itemDoubleClicked(row, 0); }
    QStringList contents() const { return QDir(m_contents).entryList(QDir::Files | QDir::Hidden); }

private slots:
    void init()
    {
        QDir(repositoryPath()).removeRecursively();
        m_host = std::make_unique<ContentHost>();
        m_contents = repository("MIRRORS/Hall/contents");
        m_host->choose(m_host->addVirtualPlayer("Hall", repository("MIRRORS/Hall")));
    }
    void cleanup() { m_host.reset(); }

    // Pictures written by an image writer are scanned in sendingPictures.
    void baselineScan_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("baseline");
        QTest::newRow("C0 then C2") << QByteArray("\xFF\xC0\x00\xFF\xC2", 5) << false;
        QTest::newRow("stuffed zero, then C0") << QByteArray("\xFF\x00\xC2\xFF\xC0", 5) << true;
    }
    void baselineScan()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, baseline);
        QVERIFY(writeFile(m_dir.filePath("scan.jpg"), bytes));
        QCOMPARE(IsBaselineJpeg(m_dir.filePath("scan.jpg")), baseline);
        QVERIFY(!IsBaselineJpeg(m_dir.filePath("missing.jpg")));
    }

    void sendingPictures_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QString>("outcome");  // "sent", "dialog" or the box shown
        QTest::newRow("progressive 800x600") << "a.jpg" << "progressive" << QSize(800, 600) << "dialog";
        QTest::newRow("baseline 1025x10") << "a.jpeg" << "jpeg" << QSize(1025, 10) << "dialog";
        QTest::newRow("png 1024x1024") << "a.png" << "png" << QSize(1024, 1024) << "sent";
        QTest::newRow("broken picture") << "b.gif" << "garbage" << QSize()
                                        << "Information | Check image size | File MEDIA/b.gif format is incorrect.";
    }
    void sendingPictures()
    {
        QFETCH(QString, name);
        QFETCH(QString, kind);
        QFETCH(QSize, size);
        QFETCH(QString, outcome);
        QVERIFY(makePicture(repository(name), kind, size));
        doubleClick(row(name));
        ScriptedPrompts& prompts = m_host->prompts;
        QTRY_VERIFY(contents().contains(name) || !prompts.dialogs.isEmpty() || !prompts.messages.isEmpty());
        QStringList seen = boxes(prompts).replaceInStrings(repositoryPath(), "MEDIA");
        if (prompts.dialogs == QStringList{"ImageConversion_Dialog"})
            seen.append("dialog");
        if (readFile(m_contents + "/" + name) == readFile(repository(name)))
            seen.append("sent");
        QCOMPARE(seen, QStringList{outcome});
    }

    void foldersNestedFilesAndTheShownPlayer()
    {
        QVERIFY(writeFile(repository("promo/sub/clip.mpg"), "video"));
        QTreeWidgetItem* nested = row("promo/sub/clip.mpg");
        doubleClick(nested->parent());
        QCOMPARE(boxes(m_host->prompts), QStringList{"Information | NOTICE | sub is a directory"});

        // The copy goes to the shown player, whichever item became current since.
        m_host->playersView->setCurrentItem(m_host->addVirtualPlayer("Lobby", repository("MIRRORS/Lobby")));
        doubleClick(nested);
        QTRY_COMPARE(rowsOf(m_host->widgets.storageView), QStringList{"clip.mpg|       1| mirror||"});
        QCOMPARE(contents(), QStringList{"clip.mpg"});
        QVERIFY(QDir(repository("MIRRORS/Lobby/contents")).isEmpty());

        m_host->players.discard(m_host->content.shownPlayer()->player());
        doubleClick(nested);
        QCOMPARE(boxes(m_host->prompts).last(), "Information | File transfer | No player is selected.");
    }

    void copyRunsFromTheEventLoop_data()
    {
        QTest::addColumn<QString>("ending");
        QTest::newRow("aborted") << "aborted";
        QTest::newRow("disk full") << "disk full";
    }
    void copyRunsFromTheEventLoop()
    {
        QFETCH(QString, ending);
        QByteArray big(24 * 1024 * 1024, 'v');
        big[big.size() / 2] = 'x';
        QVERIFY(writeFile(repository("big.mpg"), big));
        QVERIFY(writeFile(m_contents + "/big.mpg", "earlier copy"));
        QProgressBar* bar = m_host->widgets.transferBar;
        QPushButton* abort = m_host->widgets.abortTransfer;
        QList<int> values;
        connect(bar, &QProgressBar::valueChanged, this, [&](int value) {
            values.append(value);
            if (ending == "aborted" && value > 0 && value < bar->maximum())
                abort->click();
        });
        std::optional<FileSizeLimit> limit;
        if (ending == "disk full")
            limit.emplace(1024 * 1024);

        doubleClick(row("big.mpg"));
        // Nothing is copied before the event loop runs, and the abort button is offered.
        QCOMPARE(readFile(m_contents + "/big.mpg"), QByteArray("earlier copy"));
        QVERIFY(!abort->isHidden());
        abort->hide();  // as choosing the player does; progress shows it again
        QTRY_VERIFY_WITH_TIMEOUT(!m_host->prompts.messages.isEmpty() || (!values.isEmpty() && contents().size() == 1),
                                 20000);
        QTest::qWait(100);
        limit.reset();
        QCOMPARE(contents(), QStringList{"big.mpg"});  // no scratch file left
        QVERIFY(!abort->isHidden());
        QVERIFY(std::any_of(values.begin(), values.end(), [&](int value) { return value > 0 && value < bar->maximum(); }));
        QCOMPARE(readFile(m_contents + "/big.mpg"), QByteArray("earlier copy"));
        const QString told = "Information | File transfer | The file was not copied to " + m_contents
                             + "/big.mpg; an earlier file of that name is unchanged.\n";
        QCOMPARE(boxes(m_host->prompts).value(0).left(told.size()), ending == "disk full" ? told : QString());
    }

    void downloadReports_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("progress");  // after a name padded to 20 characters
        QTest::addColumn<QString>("shown");     // label, bar and status line afterwards ("*": any); "" when unchanged
        QTest::newRow("escaped name, 45%") << "127.0.0.1" << "clip%20one.mpg| 45%"
                                         << "Transfer file (clip one.mpg)|45|clip one.mpg       45%";
        QTest::newRow("complete") << "127.0.0.1" << "clip.mpg|100%" << "Transfer file (clip.mpg)|-1|*";
        QTest::newRow("above 100") << "127.0.0.1" << "clip.mpg|250%" << "";
        QTest::newRow("player not shown") << "127.0.0.2" << "clip.mpg| 45%" << "";
    }
    void downloadReports()
    {
        QFETCH(QString, address);
        QFETCH(QString, progress);
        QFETCH(QString, shown);
        FakePlayer lobby(m_host->playersView, m_host->players.channel(), "Lobby");
        FakePlayer other(m_host->playersView, m_host->players.channel(), "Other");
        other.item->setIpAddress("127.0.0.2");
        m_host->choose(lobby.item);
        QVERIFY(m_host->waitIdle());
        const QDateTime earlier = QDateTime::currentDateTime().addSecs(-15);
        lobby.item->setLastActive(earlier);
        other.item->setLastActive(earlier);
        // An upload measured the bar in bytes before.
        m_host->widgets.transferBar->setRange(0, 5000000);
        m_host->widgets.transferBar->setValue(1000);
        m_host->status = "before";

        QString line = progress.section('|', 0, 0).leftJustified(20, ' ') + progress.section('|', 1);
        m_host->content.set_wget_progress(address, line);
        QVERIFY(m_host->waitIdle());
        // Every report is a contact of the player at that address.
        QCOMPARE(QString("%1 %2").arg(lobby.item->lastActive() != earlier).arg(other.item->lastActive() != earlier),
                 address.endsWith('1') ? "1 0" : "0 1");
        QCOMPARE(m_host->widgets.transferLabel->text() + "|" + QString::number(m_host->widgets.transferBar->value()) + "|"
                     + (shown.endsWith('*') ? "*" : m_host->status),
                 shown.isEmpty() ? "|1000|before" : shown);
        QCOMPARE(lobby.methods().count("Kivo.GetMediaFileList"), shown.contains("|-1|") ? 2 : 1);
        QCOMPARE(m_host->widgets.transferBar->maximum(), shown.isEmpty() ? 5000000 : 100);
    }
};

QTEST_MAIN(TestTransfer)
#include "tst_transfer.moc"
