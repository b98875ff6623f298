#include "config/displaydialogs.h"

#include "config/displaysettings.h"
#include "ui/namedwidgets.h"
#include "ui/prompts.h"

#include <QDial>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLCDNumber>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

using namespace display;

namespace {

// Runs emitSignal and tells whether a receiver closed the dialog meanwhile
// (it does so when the player it was opened for has gone).
template <typename Emit>
bool closedWhileEmitting(QDialog* dialog, Emit emitSignal)
{
    bool closed = false;
    const auto watch = QObject::connect(dialog, &QDialog::finished, dialog, [&closed] { closed = true; });
    emitSignal();
    QObject::disconnect(watch);
    return closed;
}

} // namespace

ScaleWindowDialog::ScaleWindowDialog(QWidget* parent, const QString& name)
    : QDialog(parent)
{
    setObjectName(name.isEmpty() ? QStringLiteral("ScaleWindowDialog") : name);
    setModal(true);

    auto* top = new QVBoxLayout(this);
    auto* fields = new QGridLayout;
    ScaleWindowX_textLabel = named(new QLabel(this), "ScaleWindowX_textLabel");
    ScaleWindowX_lineEdit = named(new QLineEdit(this), "ScaleWindowX_lineEdit");
    ScaleWindowY_textLabel = named(new QLabel(this), "ScaleWindowY_textLabel");
    ScaleWindowY_lineEdit = named(new QLineEdit(this), "ScaleWindowY_lineEdit");
    ScaleWindowW_textLabel = named(new QLabel(this), "ScaleWindowW_textLabel");
    ScaleWindowW_lineEdit = named(new QLineEdit(this), "ScaleWindowW_lineEdit");
    ScaleWindowH_textLabel = named(new QLabel(this), "ScaleWindowH_textLabel");
    ScaleWindowH_lineEdit = named(new QLineEdit(this), "ScaleWindowH_lineEdit");
    int row = 0;
    for (auto [label, field, maximum] :
         {std::tuple{ScaleWindowX_textLabel, ScaleWindowX_lineEdit, kMaxOrigin},
          std::tuple{ScaleWindowY_textLabel, ScaleWindowY_lineEdit, kMaxOrigin},
          std::tuple{ScaleWindowW_textLabel, ScaleWindowW_lineEdit, kScreenUnits},
          std::tuple{ScaleWindowH_textLabel, ScaleWindowH_lineEdit, kScreenUnits}}) {
        field->setValidator(new QIntValidator(0, maximum, field));
        label->setBuddy(field);
        fields->addWidget(label, row, 0);
        fields->addWidget(field, row++, 1);
    }
    top->addLayout(fields);
    reading_textLabel = named(new QLabel(this), "reading_textLabel");
    top->addWidget(reading_textLabel);

    ScleWndow_reset_button = named(new QPushButton(this), "ScleWndow_reset_button");
    ScleWndow_reset_button->setAutoDefault(false);
    top->addWidget(ScleWndow_reset_button);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttonOk = named(new QPushButton(this), "buttonOk");
    buttonOk->setDefault(true);
    buttonCancel = named(new QPushButton(this), "buttonCancel");
    buttons->addWidget(buttonOk);
    buttons->addWidget(buttonCancel);
    top->addLayout(buttons);

    m_gate = std::make_unique<ValuesGate>(
        reading_textLabel, QList<QWidget*>{ScaleWindowX_lineEdit, ScaleWindowY_lineEdit, ScaleWindowW_lineEdit,
                                           ScaleWindowH_lineEdit, ScleWndow_reset_button, buttonOk});
    languageChange();
    connect(ScleWndow_reset_button, &QPushButton::clicked, this, &ScaleWindowDialog::ResetScaleFactors);
    connect(buttonOk, &QPushButton::clicked, this, &ScaleWindowDialog::ScaleWindowParameterOK);
    connect(buttonCancel, &QPushButton::clicked, this, &QDialog::reject);
}

void ScaleWindowDialog::languageChange()
{
    setWindowTitle(tr("Scale Window"));
    ScaleWindowX_textLabel->setText(tr("X (0 ~ 4095)"));
    ScaleWindowY_textLabel->setText(tr("Y (0 ~ 4095)"));
    ScaleWindowW_textLabel->setText(tr("Width (0 ~ 4096)"));
    ScaleWindowH_textLabel->setText(tr("Height (0 ~ 4096)"));
    ScleWndow_reset_button->setText(tr("RESET TO FULL SCREEN"));
    buttonOk->setText(tr("&OK"));
    buttonCancel->setText(tr("&Cancel"));
}

void ScaleWindowDialog::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::LanguageChange)
        languageChange();
    QDialog::changeEvent(event);
}

void ScaleWindowDialog::fill_XYWH(int x, int y, int w, int h)
{
    ScaleWindowX_lineEdit->setText(QString::number(x));
    ScaleWindowY_lineEdit->setText(QString::number(y));
    ScaleWindowW_lineEdit->setText(QString::number(w));
    ScaleWindowH_lineEdit->setText(QString::number(h));
}

void ScaleWindowDialog::ResetScaleFactors()
{
    fill_XYWH(0, 0, kScreenUnits, kScreenUnits);
}

void ScaleWindowDialog::ScaleWindowParameterOK()
{
    // A field the validator would not take (empty, or a player's value out of
    // range) is refused by name: sending anything else would move the window
    // somewhere the operator never saw.
    int values[4] = {};
    const std::tuple<QLabel*, QLineEdit*, int> fields[] = {{ScaleWindowX_textLabel, ScaleWindowX_lineEdit, kMaxOrigin},
                                                           {ScaleWindowY_textLabel, ScaleWindowY_lineEdit, kMaxOrigin},
                                                           {ScaleWindowW_textLabel, ScaleWindowW_lineEdit, kScreenUnits},
                                                           {ScaleWindowH_textLabel, ScaleWindowH_lineEdit, kScreenUnits}};
    for (int index = 0; index < 4; ++index) {
        const auto& [label, field, maximum] = fields[index];
        const std::optional<int> value = scaleFieldValue(field->text(), maximum);
        if (value) {
            values[index] = *value;
            continue;
        }
        const QString name = label->text();
        showWarning(this, tr("Scale window size"),
                    field->text().trimmed().isEmpty()
                        ? tr("\"%1\" is empty: enter a whole number in that range.").arg(name)
                        : tr("\"%1\" holds \"%2\": enter a whole number in that range.").arg(name, field->text()));
        field->setFocus();
        return;
    }
    const ClippedWindow clipped = clipScaleWindow({values[0], values[1], values[2], values[3]});
    if (clipped.clippedRight) {
        showInformation(this, tr("Scale window size"),
                        tr("The scaled window extends outside of the right border. It will be clipped."));
    }
    if (clipped.clippedBottom) {
        showInformation(this, tr("Scale window size"),
                        tr("The scaled window extends outside of the bottom border. It will be clipped."));
    }
    const ScaleWindow& window = clipped.window;
    if (closedWhileEmitting(this, [&] { emit UpdateScaleWindowDimension(window.x, window.y, window.w, window.h); }))
        return;
    accept();
}

Volume_dialog::Volume_dialog(QWidget* parent, const QString& name)
    : QDialog(parent)
{
    setObjectName(name);
    setModal(true);

    auto* top = new QVBoxLayout(this);
    auto* display = new QHBoxLayout;
    Volume_dial = named(new QDial(this), "Volume_dial");
    Volume_dial->setRange(0, kMaxVolume);
    Volume_dial->setValue(0);
    Volume_dial->setNotchesVisible(true);
    Volume_lCDNumber = named(new QLCDNumber(2, this), "Volume_lCDNumber");
    Volume_lCDNumber->setSegmentStyle(QLCDNumber::Flat);
    Volume_lCDNumber->display(Volume_dial->value());
    display->addWidget(Volume_dial, 1);
    display->addWidget(Volume_lCDNumber);
    top->addLayout(display);
    reading_textLabel = named(new QLabel(this), "reading_textLabel");
    top->addWidget(reading_textLabel);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    VolumeOk_pushButton = named(new QPushButton(this), "VolumeOk_pushButton");
    VolumeOk_pushButton->setDefault(true);
    VolumeCancel_pushButton = named(new QPushButton(this), "VolumeCancel_pushButton");
    buttons->addWidget(VolumeOk_pushButton);
    buttons->addWidget(VolumeCancel_pushButton);
    top->addLayout(buttons);

    m_gate = std::make_unique<ValuesGate>(reading_textLabel, QList<QWidget*>{Volume_dial, VolumeOk_pushButton});
    languageChange();
    connect(Volume_dial, &QDial::valueChanged, Volume_lCDNumber, qOverload<int>(&QLCDNumber::display));
    connect(VolumeOk_pushButton, &QPushButton::clicked, this, &Volume_dialog::volume_ok__Slot);
    connect(VolumeCancel_pushButton, &QPushButton::clicked, this, &QDialog::reject);
}

void Volume_dialog::awaitChoice(const QString& note)
{
    reading_textLabel->setText(note);
    reading_textLabel->show();
    VolumeOk_pushButton->setEnabled(false);
    connect(Volume_dial, &QDial::valueChanged, VolumeOk_pushButton, [this] { VolumeOk_pushButton->setEnabled(true); });
}

void Volume_dialog::languageChange()
{
    setWindowTitle(tr("Volume control"));
    VolumeOk_pushButton->setText(tr("OK"));
    VolumeCancel_pushButton->setText(tr("Cancel"));
}

void Volume_dialog::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::LanguageChange)
        languageChange();
    QDialog::changeEvent(event);
}

void Volume_dialog::set_volume_Slot(int volume)
{
    // The dial keeps a value outside 0..73 to its nearest end.
    Volume_dial->setValue(volume);
}

void Volume_dialog::volume_ok__Slot()
{
    const int volume = Volume_dial->value();
    if (closedWhileEmitting(this, [&] { emit set_player_volume(volume); }))
        return;
    accept();
}
