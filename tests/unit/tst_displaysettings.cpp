// A player's output settings without a window: which video mode a reported
// mode checks, the reading of numeric replies, and the scale window dialog's
// fields and clipping.

#include "config/displaydialogs.h"
#include "config/displaysettings.h"

#include "../peers/boxes.h"

#include <QtTest>
#include <QtWidgets>

using namespace display;

namespace {

QList<int> checkedIds(const QString& current)
{
    QList<int> ids;
    for (const VideoMode& mode : videoModes())
        if (videoModeMatches(mode, current))
            ids.append(mode.id);
    return ids;
}

} // namespace

class TestDisplaySettings : public QObject
{
    Q_OBJECT

private slots:
    void videoModeChecks_data()
    {
        QTest::addColumn<QString>("current");
        QTest::addColumn<QList<int>>("checked");
        QTest::newRow("composite alias") << "COMPOSITE" << QList<int>{0};
        QTest::newRow("long VGA name, blanks") << " VGA_1024x768x60 " << QList<int>{1};
        QTest::newRow("HDMI auto alias") << "HDMI_AUTO" << QList<int>{2};
        QTest::newRow("exact name") << "LVDS_VESA_1280x1024x60" << QList<int>{29};
        QTest::newRow("case counts") << "vga" << QList<int>{};
        QTest::newRow("virtual default") << "NA" << QList<int>{};
        QTest::newRow("no such mode") << "VGA_640x480" << QList<int>{};
    }
    void videoModeChecks()
    {
        QFETCH(QString, current);
        QFETCH(QList<int>, checked);
        QCOMPARE(checkedIds(current), checked);
    }

    void replyNumbers_data()
    {
        QTest::addColumn<QVariant>("reply");
        QTest::addColumn<int>("count");
        QTest::addColumn<QList<int>>("numbers");  // empty: unreadable
        QTest::newRow("integers") << QVariant(QVariantList{0, 10, 4096, 2000}) << 4 << QList<int>{0, 10, 4096, 2000};
        QTest::newRow("numeric strings, extra elements")
            << QVariant(QVariantList{" 36", "x"}) << 1 << QList<int>{36};
        QTest::newRow("whole double") << QVariant(QVariantList{7.0}) << 1 << QList<int>{7};
        QTest::newRow("too short") << QVariant(QVariantList{1, 2, 3}) << 4 << QList<int>{};
        QTest::newRow("text element") << QVariant(QVariantList{"abc"}) << 1 << QList<int>{};
        QTest::newRow("fraction") << QVariant(QVariantList{2.5}) << 1 << QList<int>{};
        QTest::newRow("not an array") << QVariant(5) << 1 << QList<int>{};
        QTest::newRow("beyond int") << QVariant(QVariantList{qlonglong(1) << 40}) << 1 << QList<int>{};
    }
    void replyNumbers()
    {
        QFETCH(QVariant, reply);
        QFETCH(int, count);
        QFETCH(QList<int>, numbers);
        const std::optional<QList<int>> read = replyIntegers(reply, count);
        QCOMPARE(read.value_or(QList<int>{}), numbers);
        QCOMPARE(read.has_value(), !numbers.isEmpty());
    }

    void scaleWindowOk_data()
    {
        QTest::addColumn<QStringList>("fields");  // X, Y, Width, Height as typed or filled
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<QList<int>>("sent");
        const QString right = "Information | Scale window size | The scaled window extends outside of the right "
                              "border. It will be clipped.";
        const QString bottom = "Information | Scale window size | The scaled window extends outside of the bottom "
                               "border. It will be clipped.";
        QTest::newRow("full screen") << QStringList{"0", "0", "4096", "4096"} << QStringList{}
                                     << QList<int>{0, 0, 4096, 4096};
        QTest::newRow("right edge") << QStringList{"100", "0", "4096", "4096"} << QStringList{right}
                                    << QList<int>{100, 0, 3996, 4096};
        QTest::newRow("both edges, in order") << QStringList{"4000", "4095", "200", "2"} << QStringList{right, bottom}
                                              << QList<int>{4000, 4095, 96, 1};
        QTest::newRow("empty fields count 0") << QStringList{"", "", "", ""} << QStringList{} << QList<int>{0, 0, 0, 0};
        // A player's values beyond the screen never give a negative size.
        QTest::newRow("out of range from the player") << QStringList{"5000", "-1", "4096", "9999"} << QStringList{}
                                                      << QList<int>{0, 0, 4096, 0};
    }
    void scaleWindowOk()
    {
        QFETCH(QStringList, fields);
        QFETCH(QStringList, messages);
        QFETCH(QList<int>, sent);
        ScriptedPrompts prompts;
        prompts.nestedLoopMs = 20;
        ScaleWindowDialog dialog(nullptr, "Lobby");
        QSignalSpy update(&dialog, &ScaleWindowDialog::UpdateScaleWindowDimension);
        const char* names[] = {"ScaleWindowX_lineEdit", "ScaleWindowY_lineEdit", "ScaleWindowW_lineEdit",
                               "ScaleWindowH_lineEdit"};
        for (int i = 0; i < 4; ++i)
            dialog.findChild<QLineEdit*>(names[i])->setText(fields[i]);
        dialog.show();
        QTest::mouseClick(dialog.findChild<QPushButton*>("buttonOk"), Qt::LeftButton);
        QCOMPARE(boxes(prompts), messages);
        QCOMPARE(update.size(), 1);
        QList<int> emitted;
        for (const QVariant& value : update.first())
            emitted.append(value.toInt());
        QCOMPARE(emitted, sent);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
    }

    void scaleWindowFillAndReset()
    {
        ScaleWindowDialog dialog;
        const auto text = [&](const char* name) { return dialog.findChild<QLineEdit*>(name)->text(); };
        dialog.fill_XYWH(10, 20, 300, 400);
        QTest::mouseClick(dialog.findChild<QPushButton*>("ScleWndow_reset_button"), Qt::LeftButton);
        QCOMPARE(QStringList({text("ScaleWindowX_lineEdit"), text("ScaleWindowY_lineEdit"),
                              text("ScaleWindowW_lineEdit"), text("ScaleWindowH_lineEdit")}),
                 QStringList({"0", "0", "4096", "4096"}));
        // The field refuses a fifth digit but lets 4096 stand half-typed:
        // the OK button counts it 0 (see scaleWindowOk).
        QLineEdit* x = dialog.findChild<QLineEdit*>("ScaleWindowX_lineEdit");
        x->clear();
        QTest::keyClicks(x, "40960");
        QCOMPARE(x->text(), QString("4096"));
    }

};

QTEST_MAIN(TestDisplaySettings)
#include "tst_displaysettings.moc"
