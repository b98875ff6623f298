#include "config/tickerdialog.h"

#include "core/atomicfile.h"
#include "core/settings.h"
#include "config/tickerrender.h"
#include "ui/namedwidgets.h"
#include "ui/prompts.h"

#include <QButtonGroup>
#include <QDir>
#include <QEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QVBoxLayout>

namespace {

const QString textKey = QStringLiteral("/Ticker/Text");
const QString fontKey = QStringLiteral("/Ticker/FontDesc");
const QString foregroundKey = QStringLiteral("/Ticker/ForegroundColor");
const QString backgroundKey = QStringLiteral("/Ticker/BackgroundColor");
const QString directionKey = QStringLiteral("/Ticker/Direction");
const QString speedKey = QStringLiteral("/Ticker/Speed");

// A stored colour, or fallback when the stored text names none.
QColor colorSetting(const QVariant& value, const char* fallback)
{
    const QColor color(value.toString());
    return color.isValid() ? color : QColor(QLatin1String(fallback));
}

} // namespace

TickerDialog::TickerDialog(QWidget* parent, const char* name, bool modal)
    : QDialog(parent)
{
    setObjectName(name ? QString::fromLatin1(name) : QStringLiteral("Ticker Composer"));
    setModal(modal);

    m_textLabel = new QLabel(this);
    m_textLabel->setObjectName(QStringLiteral("Ticker_textLabel"));
    m_line = new QLineEdit(this);
    m_line->setObjectName(QStringLiteral("TickerLineEdit"));
    m_textLabel->setBuddy(m_line);
    m_fontButton = namedButton(this, "TickerFontButton");
    m_backgroundButton = namedButton(this, "TickerBGColorButton");
    m_foregroundButton = namedButton(this, "TickerFGColorButton");

    m_directionGroup = new QGroupBox(this);
    m_directionGroup->setObjectName(QStringLiteral("TickerDirection_buttonGroup"));
    m_leftToRightButton = new QRadioButton(m_directionGroup);
    m_leftToRightButton->setObjectName(QStringLiteral("TickerL2R_radioButton"));
    m_rightToLeftButton = new QRadioButton(m_directionGroup);
    m_rightToLeftButton->setObjectName(QStringLiteral("TickerR2L_radioButton"));
    auto* directions = new QButtonGroup(m_directionGroup);
    directions->addButton(m_leftToRightButton);
    directions->addButton(m_rightToLeftButton);
    auto* directionLayout = new QVBoxLayout(m_directionGroup);
    directionLayout->addWidget(m_leftToRightButton);
    directionLayout->addWidget(m_rightToLeftButton);

    m_speedGroup = new QGroupBox(this);
    m_speedGroup->setObjectName(QStringLiteral("Ticker_Speed_groupBox"));
    m_speedSlider = new QSlider(Qt::Horizontal, m_speedGroup);
    m_speedSlider->setObjectName(QStringLiteral("TickerSpeed_slider"));
    m_speedSlider->setRange(1, 8);
    m_speedSlider->setPageStep(1);
    m_speedSlider->setTickPosition(QSlider::TicksBelow);
    m_speedSlider->setTickInterval(1);
    auto* speedLayout = new QVBoxLayout(m_speedGroup);
    speedLayout->addWidget(m_speedSlider);

    m_ok = namedButton(this, "TickerOKButton");
    m_ok->setDefault(true);
    m_cancel = namedButton(this, "TickerCancelButton");

    auto* choosers = new QHBoxLayout;
    choosers->addWidget(m_fontButton);
    choosers->addWidget(m_backgroundButton);
    choosers->addWidget(m_foregroundButton);
    auto* groups = new QHBoxLayout;
    groups->addWidget(m_directionGroup);
    groups->addWidget(m_speedGroup, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_ok);
    buttons->addWidget(m_cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_textLabel);
    layout->addWidget(m_line);
    layout->addLayout(choosers);
    layout->addLayout(groups);
    layout->addLayout(buttons);

    connect(m_ok, &QPushButton::clicked, this, &TickerDialog::NewTickerSlot);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_fontButton, &QPushButton::clicked, this, &TickerDialog::TickerFontSlot);
    connect(m_backgroundButton, &QPushButton::clicked, this, &TickerDialog::TcikerBGColorSlot);
    connect(m_foregroundButton, &QPushButton::clicked, this, &TickerDialog::TickerFGColorSlot);

    languageChange();
    readSettings();
}

void TickerDialog::languageChange()
{
    setWindowTitle(tr("Ticker composer"));
    m_textLabel->setText(tr("Enter ticker message below:"));
    m_fontButton->setText(tr("FONT"));
    m_backgroundButton->setText(tr("BG Color"));
    m_foregroundButton->setText(tr("FG Color"));
    m_directionGroup->setTitle(tr("Ticker Direction"));
    m_leftToRightButton->setText(tr("Left to Right"));
    m_rightToLeftButton->setText(tr("Right to Left"));
    m_speedGroup->setTitle(tr("Scrolling speed"));
    m_ok->setText(tr("&OK"));
    m_cancel->setText(tr("&Cancel"));
}

void TickerDialog::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::LanguageChange)
        languageChange();
    QDialog::changeEvent(event);
}

void TickerDialog::readSettings()
{
    const auto settings = openSettingsStore();
    m_text = settings->value(textKey, QString()).toString();
    if (!m_font.fromString(settings->value(fontKey, QLatin1String(defaultFontDescription)).toString()))
        m_font.fromString(QLatin1String(defaultFontDescription));
    m_background = colorSetting(settings->value(backgroundKey), "#000000");
    m_foreground = colorSetting(settings->value(foregroundKey), "#F8F8F8");
    m_leftToRight = settings->value(directionKey, false).toBool();
    bool numeric = false;
    const int speed = settings->value(speedKey, 2).toInt(&numeric);
    m_speed = numeric ? qBound(1, speed, 8) : 2;

    m_line->setText(m_text);
    m_speedSlider->setValue(m_speed);
    (m_leftToRight ? m_leftToRightButton : m_rightToLeftButton)->setChecked(true);
    showColors();
}

void TickerDialog::writeSettings()
{
    const auto settings = openSettingsStore();
    settings->setValue(fontKey, m_font.toString());
    settings->setValue(foregroundKey, m_foreground.name());
    settings->setValue(backgroundKey, m_background.name());
    settings->setValue(directionKey, m_leftToRight);
    settings->setValue(textKey, m_text);
    settings->setValue(speedKey, m_speed);
    settings->sync();
}

void TickerDialog::showColors()
{
    // The message line previews the chosen colours.
    m_line->setStyleSheet(QStringLiteral("QLineEdit { color: %1; background-color: %2; }")
                              .arg(m_foreground.name(), m_background.name()));
}

void TickerDialog::TcikerBGColorSlot()
{
    const QColor chosen = prompts().color(this, m_background);
    if (!chosen.isValid()) {
        showInformation(this, tr("Set Ticker Background Color"), tr("invalid color"));
        return;
    }
    m_background = chosen;
    showColors();
}

void TickerDialog::TickerFGColorSlot()
{
    const QColor chosen = prompts().color(this, m_foreground);
    if (!chosen.isValid()) {
        showInformation(this, tr("Set Ticker Foreground Colorr"), tr("invalid color"));
        return;
    }
    m_foreground = chosen;
    showColors();
}

void TickerDialog::TickerFontSlot()
{
    bool accepted = false;
    const QFont chosen = prompts().font(this, m_font, &accepted);
    if (accepted)
        m_font = chosen;
}

void TickerDialog::NewTickerSlot()
{
    m_leftToRight = m_leftToRightButton->isChecked();
    const QString text = m_line->text();
    if (text.isEmpty()) {
        showInformation(this, tr("Ticker"), tr("No text is entered, no action."));
    } else {
        m_text = text;
        if (writeTickerFiles(text))
            emit NewTickerReady(text);
    }
    writeSettings();
    accept();
}

bool TickerDialog::writeTickerFiles(const QString& text)
{
    const ticker::Rendering rendering = ticker::render(text, m_font, m_background, m_foreground);
    if (rendering.tooLong)
        showInformation(this, tr("Ticker"), tr("Ticker message may be too long. It will be truncated."));
    if (rendering.tooTall)
        showInformation(this, tr("Ticker"), tr("Ticker message letters may be too tall. It will be truncated."));
    if (rendering.image.isNull() || rendering.image.depth() != 8) {
        showInformation(this, tr("Ticker"), tr("Converting depth fails."));
        return false;
    }
    const QByteArray bitmap = ticker::bmpBytes(rendering.image);
    if (bitmap.isEmpty()
        || !writeFileAtomically(QDir::current().filePath(QLatin1String(bitmapFileName)), bitmap)) {
        showWarning(this, tr("Start Ticker Function"), tr("Saving Ticker message fails."));
        return false;
    }
    m_speed = m_speedSlider->value();
    if (!writeFileAtomically(QDir::current().filePath(QLatin1String(iniFileName)),
                                         ticker::iniFileBytes(m_background, m_leftToRight, m_speed)))
        showWarning(this, tr("Ticker"), tr("Fail to write ticker configuration file"));
    return true;
}
