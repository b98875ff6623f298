#include "content/avinput.h"

#include "core/repositorypath.h"
#include "ui/namedwidgets.h"
#include "ui/prompts.h"

#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSaveFile>
#include <QVBoxLayout>

namespace {

QComboBox* addChoice(QGridLayout* grid, QWidget* parent, const char* labelName, const char* boxName, QLabel** label)
{
    *label = new QLabel(parent);
    (*label)->setObjectName(QLatin1String(labelName));
    auto* box = new QComboBox(parent);
    box->setObjectName(QLatin1String(boxName));
    box->setEditable(false);
    const int row = grid->rowCount();
    grid->addWidget(*label, row, 0);
    grid->addWidget(box, row, 1);
    return box;
}

// Replaces the items of a combo box, keeping the choice by position.
void setItems(QComboBox* box, const QStringList& items)
{
    const int current = box->currentIndex();
    box->clear();
    box->addItems(items);
    box->setCurrentIndex(current >= 0 && current < items.size() ? current : 0);
}

} // namespace

AVInputDialog::AVInputDialog(QWidget* parent, const char* name)
    : QDialog(parent)
{
    setObjectName(name ? QString::fromUtf8(name) : QStringLiteral("AVInputDialog"));
    setModal(true);
    auto* grid = new QGridLayout;
    CaptureBoard_comboBox =
        addChoice(grid, this, "CaptureBoard_textLabel", "CaptureBoard_comboBox", &CaptureBoard_textLabel);
    AVinSource_comboBox = addChoice(grid, this, "AVinSource_textLabel", "AVinSource_comboBox", &AVinSource_textLabel);
    VideoFormat_comboBox =
        addChoice(grid, this, "VideoFormat_textLabel", "VideoFormat_comboBox", &VideoFormat_textLabel);

    buttonOk = named(new QPushButton(this), "buttonOk");
    buttonOk->setDefault(true);
    buttonCancel = named(new QPushButton(this), "buttonCancel");
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(buttonOk);
    buttons->addWidget(buttonCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(buttons);

    connect(buttonOk, &QPushButton::clicked, this, &AVInputDialog::CreateNewVINFile);
    connect(buttonCancel, &QPushButton::clicked, this, &QDialog::reject);
    languageChange();
}

void AVInputDialog::languageChange()
{
    setWindowTitle(tr("Creat AV Input Item"));
    CaptureBoard_textLabel->setText(tr("Capture Module Name:"));
    AVinSource_textLabel->setText(tr("AV input source:"));
    VideoFormat_textLabel->setText(tr("Video input format:"));
    setItems(CaptureBoard_comboBox, {tr("vin116a")});
    setItems(AVinSource_comboBox, {tr("CVBS1"), tr("SVideo1")});
    setItems(VideoFormat_comboBox, {tr("NTSC_M"), tr("PAL_60"), tr("PAL_BG")});
    buttonOk->setText(tr("&OK"));
    buttonCancel->setText(tr("&Cancel"));
}

void AVInputDialog::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::LanguageChange)
        languageChange();
    QDialog::changeEvent(event);
}

void AVInputDialog::CreateNewVINFile()
{
    const QString first = QStringLiteral("-I ") + CaptureBoard_comboBox->currentText() + QLatin1Char(' ')
        + AVinSource_comboBox->currentText();
    const QString second = QStringLiteral("-if ") + VideoFormat_comboBox->currentText();
    emit new_VIN_config_ready(first, second);
    accept();
}

QByteArray avInputFileContents(const QString& first, const QString& second)
{
    return (first + QLatin1Char('\n') + second + QLatin1Char('\n')).toUtf8();
}

AVInputItems::AVInputItems(QWidget* window, QObject* parent)
    : QObject(parent)
    , m_window(window)
{
}

void AVInputItems::CreateExtAVinItem()
{
    auto* dialog = new AVInputDialog(m_window, "AVInputDialog");
    connect(dialog, &AVInputDialog::new_VIN_config_ready, this, &AVInputItems::Save_AVIN_file);
    prompts().execDialog(dialog);
    delete dialog;
}

void AVInputItems::Save_AVIN_file(QString first, QString second)
{
    bool accepted = false;
    const QString name = prompts()
                             .text(nullptr, tr("Save AV input file"), tr("Enter file name (without extension): "),
                                   QString(), &accepted)
                             .trimmed();
    if (!accepted || name.isEmpty())
        return;
    // The item belongs in the "Video" folder: a name that reaches elsewhere is refused.
    if (name.contains(QLatin1Char('/')) || name.contains(QLatin1Char('\\'))) {
        showWarning(m_window, tr("Saving capture file"),
                    tr("The name %1 must not contain \"/\" or \"\\\".").arg(name));
        return;
    }
    const QString path = repositoryPath() + QStringLiteral("/Video/") + name + QStringLiteral(".cap");
    // Written beside the target and renamed over it, so that a failed save
    // leaves an existing item intact.
    QSaveFile file(path);
    const QByteArray contents = avInputFileContents(first, second);
    if (!file.open(QIODevice::WriteOnly) || file.write(contents) != contents.size() || !file.commit()) {
        showWarning(m_window, tr("Saving capture file"), tr("Fail saving file ") + path);
        return;
    }
    emit itemSaved();
}
