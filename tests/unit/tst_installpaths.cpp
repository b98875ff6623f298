// Where the controller finds its pictures, catalogues and helper programs,
// installed or in a build tree, and the per-user folder it works in.

#include "core/installpaths.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTranslator>
#include <QtTest>

using namespace installpaths;

class TestInstallPaths : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString m_previousDir = QDir::currentPath();

    static bool createFile(const QString& path, bool executable = false)
    {
        QFile file(path);
        return QDir().mkpath(QFileInfo(path).path()) && file.open(QIODevice::WriteOnly)
            && (!executable || file.setPermissions(file.permissions() | QFile::ExeOwner));
    }

private slots:
    void init()
    {
        QVERIFY(m_dir.isValid());
        QVERIFY(QDir(m_dir.path()).removeRecursively() && QDir().mkpath(m_dir.filePath("work")));
        QVERIFY(QDir::setCurrent(m_dir.filePath("work")));
    }
    void cleanup() { QDir::setCurrent(m_previousDir); }

    // The places are given as indexes into: working directory, install prefix, executable's folder.
    void dataFileIsTakenFromTheFirstPlaceHoldingIt_data()
    {
        QTest::addColumn<QList<int>>("holding");
        QTest::addColumn<int>("found"); // -1: nowhere
        QTest::newRow("working directory before everything") << QList<int>{0, 1, 2} << 0;
        QTest::newRow("installed before the build tree") << QList<int>{1, 2} << 1;
        QTest::newRow("build tree") << QList<int>{2} << 2;
        QTest::newRow("nowhere") << QList<int>{} << -1;
    }
    void dataFileIsTakenFromTheFirstPlaceHoldingIt()
    {
        QFETCH(QList<int>, holding);
        QFETCH(int, found);
        const QString bin = m_dir.filePath("prefix/bin");
        const QStringList places = dataDirectories(bin);
        QCOMPARE(places.size(), 3);
        QCOMPARE(places.first(), QDir::currentPath());
        QCOMPARE(places.last(), bin);
        QVERIFY(places.at(1).startsWith(m_dir.filePath("prefix/")));
        for (int place : holding)
            QVERIFY(createFile(QDir(places.at(place)).filePath("layout3.png")));
        if (found < 0)
            QTest::ignoreMessage(QtWarningMsg, qPrintable("layout3.png not found in " + places.join(", ")));
        QCOMPARE(findFile("layout3.png", places), found < 0 ? QString() : places.at(found) + "/layout3.png");
    }

    void helperProgramIsTheInstalledOneElseTheOneBesideTheExecutable()
    {
        const QString bin = m_dir.filePath("prefix/bin");
        const QString installed = helperProgram("kvo-batch-server", bin);
        // With neither: where it belongs.
        QVERIFY2(installed.startsWith(m_dir.filePath("prefix/")) && !installed.startsWith(bin + "/"), qPrintable(installed));
        QVERIFY(createFile(bin + "/kvo-batch-server", true));
        QCOMPARE(helperProgram("kvo-batch-server", bin), bin + "/kvo-batch-server");
        QVERIFY(createFile(installed, true));
        QCOMPARE(helperProgram("kvo-batch-server", bin), installed);
    }

    void catalogueFallsBackToTheLanguageInTheFirstFolderHoldingOne()
    {
        const QStringList folders{QDir::currentPath(), KVO_BINARY_DIR};
        QTranslator translator;
        QCOMPARE(loadCatalogue(translator, "kvosvr_de_AT", folders), QString(KVO_BINARY_DIR "/kvosvr_de.qm"));
        QVERIFY(!translator.isEmpty());
        QCOMPARE(loadCatalogue(translator, "kvosvr_de_AT", {QDir::currentPath()}), QString());
    }

    void userStateDirectoryFollowsTheXdgRules_data()
    {
        QTest::addColumn<QByteArray>("variable"); // null: unset
        QTest::addColumn<QString>("folder");
        const QString fallback = QDir::homePath() + "/.local/state/kvo-controller";
        QTest::newRow("set") << QByteArray("/var/tmp/state/") << "/var/tmp/state/kvo-controller";
        QTest::newRow("unset") << QByteArray() << fallback;
        QTest::newRow("empty") << QByteArray("") << fallback;
        QTest::newRow("relative, so ignored") << QByteArray("state") << fallback;
    }
    void userStateDirectoryFollowsTheXdgRules()
    {
        QFETCH(QByteArray, variable);
        QFETCH(QString, folder);
        variable.isNull() ? qunsetenv("XDG_STATE_HOME") : qputenv("XDG_STATE_HOME", variable);
        QCOMPARE(userStateDirectory(), folder);
    }

    void privateDirectoryIsCreatedForTheOwnerOnly()
    {
        const QString state = m_dir.filePath("home/.local/state/kvo-controller");
        QVERIFY(makePrivateDirectory(state));
        QVERIFY(makePrivateDirectory(state)); // already there
        const auto ownerOnly = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner;
        for (const QString& created : {state, m_dir.filePath("home/.local"), m_dir.filePath("home")})
            QCOMPARE(QFileInfo(created).permissions() & ~(QFile::ReadUser | QFile::WriteUser | QFile::ExeUser),
                     ownerOnly);
        QVERIFY(createFile(m_dir.filePath("plain")));
        QVERIFY(!makePrivateDirectory(m_dir.filePath("plain")));
        QVERIFY(!makePrivateDirectory(m_dir.filePath("plain/below")));
    }
};

QTEST_GUILESS_MAIN(TestInstallPaths)
#include "tst_installpaths.moc"
