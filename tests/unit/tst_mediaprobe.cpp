// The texts of the repository's SIZE(KB) and DURATION columns, and files that
// cannot be probed.

#include "content/mediaprobe.h"

#include <QtTest>

extern "C" {
#include <libavutil/avutil.h>
}

class TestMediaProbe : public QObject
{
    Q_OBJECT

private slots:
    void durationText_data()
    {
        QTest::addColumn<qint64>("microseconds");
        QTest::addColumn<QString>("text");
        QTest::newRow("zero") << qint64(0) << "0:0:0.0";
        QTest::newRow("75.9 s") << qint64(75900000) << "0:1:15.9";
        QTest::newRow("1 h 2 min 5.25 s, tenths truncated") << qint64(3725250000) << "1:2:5.2";
        QTest::newRow("just under a second") << qint64(999999) << "0:0:0.9";
        QTest::newRow("26 hours stay hours") << qint64(26) * 3600 * 1000000 << "26:0:0.0";
        QTest::newRow("no duration reported") << qint64(AV_NOPTS_VALUE) << "N/A";
    }
    void durationText()
    {
        QFETCH(qint64, microseconds);
        QFETCH(QString, text);
        QCOMPARE(mediaDurationText(microseconds), text);
    }

    void sizeText_data()
    {
        QTest::addColumn<qint64>("bytes");
        QTest::addColumn<QString>("text");
        QTest::newRow("1023 bytes") << qint64(1023) << "       0";
        QTest::newRow("2048 bytes") << qint64(2048) << "       2";
        QTest::newRow("8 digits") << qint64(99999999) * 1024 << "99999999";
        QTest::newRow("longer is not cut") << qint64(5) * 1024 * 1024 * 1024 * 1024 << "5368709120";
    }
    void sizeText()
    {
        QFETCH(qint64, bytes);
        QFETCH(QString, text);
        QCOMPARE(mediaSizeText(bytes), text);
    }

    void unreadableFilesAreNotAvailable()
    {
        QTemporaryDir dir;
        const MediaProbeResult none{"N/A", "N/A"};
        QCOMPARE(probeMediaFile(dir.filePath("missing.mpg")), none);
        QCOMPARE(probeMediaFile(dir.path()), none);
    }
};

QTEST_GUILESS_MAIN(TestMediaProbe)
#include "tst_mediaprobe.moc"
