// A new repository path restarts the batch download server on it and lists only its virtual players.

#include "content/batchserver.h"
#include "core/repositorypath.h"

#include "../peers/contenthost.h"

#include <QLineEdit>
#include <QTcpSocket>
#include <QtTest>

static bool serves(const QByteArray& target, const QByteArray& body) // GET from the batch server: 200 with body
{
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, batchserver::kPort);
    socket.write("GET " + target + " HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n\r\n");
    QByteArray received;
    while (socket.waitForReadyRead(5000))
        received += socket.readAll();
    received += socket.readAll();
    return received.split(' ').value(1) == "200" && received.endsWith("\r\n\r\n" + body);
}

class TestRepositorySwitch : public QObject
{
    Q_OBJECT

private slots:
    void newPathIsServedAndListed()
    {
        ScratchDirectory scratch;
        const QString before = scratch.filePath("before"), after = scratch.filePath("after");
        QVERIFY(writeFile(before + "/MIRRORS/Lobby/poll_contents_list", "lobby.mpg\n"));
        QVERIFY(writeFile(after + "/MIRRORS/Hall/poll_contents_list", "hall.mpg\n"));
        setRepositoryPath(before);
        batchserver::setProgram(KVO_BINARY_DIR "/kvo-batch-server");
        ContentHost host;
        host.content.init();
        QLineEdit* field = host.widgets.repositoryPath->lineEdit();
        field->setText(after);
        QTest::keyClick(field, Qt::Key_Return);
        QCOMPARE(host.playersView->count(), 1);
        QCOMPARE(asPlayer(host.playersView->item(0))->virtualDirectory(), after + "/MIRRORS/Hall");
        QTRY_VERIFY_WITH_TIMEOUT(serves("/MIRRORS/Hall/poll_contents_list", "hall.mpg\n"), 10000);
        QVERIFY(!serves("/MIRRORS/Lobby/poll_contents_list", "lobby.mpg\n"));
        QCOMPARE(boxes(host.prompts), QStringList{}); // stopped on purpose: no word of a server that ended
        batchserver::resetProgram();
    }
};

QTEST_MAIN(TestRepositorySwitch)
#include "tst_repositoryswitch.moc"
