// A new repository path reaches everything that serves the repository: the
// batch download server is restarted on the new folder and the virtual
// players are those of the new repository only.

#include "content/batchserver.h"
#include "core/repositorypath.h"
#include "players/playeritem.h"

#include "../peers/contenthost.h"
#include "../peers/rawhttp.h"

#include <QLineEdit>
#include <QtTest>

namespace {

// The status code and body of one GET from the batch download server; empty
// while nothing answers on its port.
QByteArray pulled(const QByteArray& target)
{
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, batchserver::kPort);
    if (!socket.waitForConnected(1000))
        return {};
    socket.write("GET " + target + " HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n\r\n");
    QByteArray received;
    while (socket.state() == QAbstractSocket::ConnectedState && socket.waitForReadyRead(5000))
        received += socket.readAll();
    received += socket.readAll();
    HttpMessage message;
    if (!takeMessage(received, message))
        return {};
    return message.startLine.split(' ').value(1) + ' ' + message.body;
}

QStringList virtualPlayers(const ContentHost& host)
{
    QStringList players;
    for (int row = 0; row < host.playersView->count(); ++row) {
        const PlayerItem* player = asPlayer(host.playersView->item(row));
        players.append(player->name() + " " + player->virtualDirectory());
    }
    return players;
}

} // namespace

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
        QTRY_COMPARE_WITH_TIMEOUT(pulled("/MIRRORS/Lobby/poll_contents_list"), QByteArray("200 lobby.mpg\n"), 10000);
        QCOMPARE(virtualPlayers(host), QStringList{"Lobby " + before + "/MIRRORS/Lobby"});

        QLineEdit* field = host.widgets.repositoryPath->lineEdit();
        field->setText(after);
        QTest::keyClick(field, Qt::Key_Return);
        QCOMPARE(virtualPlayers(host), QStringList{"Hall " + after + "/MIRRORS/Hall"});
        QTRY_COMPARE_WITH_TIMEOUT(pulled("/MIRRORS/Hall/poll_contents_list"), QByteArray("200 hall.mpg\n"), 10000);
        QCOMPARE(pulled("/MIRRORS/Lobby/poll_contents_list").left(3), QByteArray("404"));
        // Stopped on purpose: no word of a server that ended.
        QCOMPARE(boxes(host.prompts), QStringList{});
        batchserver::resetProgram();
    }
};

QTEST_MAIN(TestRepositorySwitch)
#include "tst_repositoryswitch.moc"
