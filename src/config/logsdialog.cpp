#include "config/logsdialog.h"

#include "ui/namedwidgets.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSizeGrip>
#include <QSpinBox>
#include <QTreeWidget>
#include <QVBoxLayout>

Log_Dialog::Log_Dialog(QWidget* parent, const char* name, bool modal)
    : QDialog(parent)
{
    setObjectName(name ? QString::fromLatin1(name) : QStringLiteral("log"));
    setModal(modal);
    m_list = new QTreeWidget(this);
    m_list->setObjectName(QStringLiteral("Log_listView"));
    m_list->setColumnCount(1);
    m_list->setRootIsDecorated(false);
    m_list->setSortingEnabled(false);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_download = namedButton(this, "Log_buttonDownload");
    m_delete = namedButton(this, "Log_buttonDelete");
    m_quit = namedButton(this, "Log_buttonQuit");

    auto* buttons = new QVBoxLayout;
    buttons->addWidget(m_download);
    buttons->addWidget(m_delete);
    buttons->addStretch();
    buttons->addWidget(m_quit);
    m_readingLine = named(new QLabel(this), "reading_textLabel");
    auto* listing = new QVBoxLayout;
    listing->addWidget(m_list, 1);
    listing->addWidget(m_readingLine);
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(listing, 1);
    layout->addLayout(buttons);
    m_gate = std::make_unique<ValuesGate>(m_readingLine, QList<QWidget*>{m_download, m_delete});

    connect(m_download, &QPushButton::clicked, this, &Log_Dialog::DownloadLogFile);
    connect(m_delete, &QPushButton::clicked, this, &Log_Dialog::DeleteLogFile);
    connect(m_quit, &QPushButton::clicked, this, &QDialog::reject);
    languageChange();
    resize(420, 320);
}

void Log_Dialog::languageChange()
{
    setWindowTitle(tr("Log Management"));
    m_list->setHeaderLabels({tr("Event logs")});
    m_list->setAccessibleName(tr("Event logs"));
    m_download->setText(tr("Download"));
    m_delete->setText(tr("Delete"));
    m_quit->setText(tr("Quit"));
}

void Log_Dialog::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::LanguageChange)
        languageChange();
    QDialog::changeEvent(event);
}

void Log_Dialog::AddLogEntry(QString& entry)
{
    new QTreeWidgetItem(m_list, QStringList{entry});
}

void Log_Dialog::DeleteLogFile()
{
    const QList<QTreeWidgetItem*> selected = m_list->selectedItems();
    if (selected.isEmpty())
        return;
    QTreeWidgetItem* row = selected.first();
    const QString name = row->text(0);
    // Removed at once; a refusal by the player is reported as a fault.
    delete row;
    emit RequestDeleteLogFile(name);
}

void Log_Dialog::DownloadLogFile()
{
    const QList<QTreeWidgetItem*> selected = m_list->selectedItems();
    if (!selected.isEmpty())
        emit RequestDownloadLogFile(selected.first()->text(0));
}

Watchdog_Dialog::Watchdog_Dialog(QWidget* parent, const char* name, bool modal)
    : QDialog(parent)
{
    setObjectName(name ? QString::fromLatin1(name) : QStringLiteral("Watchdog_Dialog"));
    setModal(modal);
    setSizeGripEnabled(true);
    m_seconds = new QSpinBox(this);
    m_seconds->setObjectName(QStringLiteral("watchdog_spinBox"));
    m_seconds->setRange(0, 255);
    m_seconds->setValue(10);
    m_label = new QLabel(this);
    m_label->setObjectName(QStringLiteral("textLabel1"));
    m_label->setBuddy(m_seconds);
    m_ok = namedButton(this, "buttonOk");
    m_ok->setDefault(true);
    m_cancel = namedButton(this, "buttonCancel");

    auto* row = new QHBoxLayout;
    row->addWidget(m_seconds);
    row->addWidget(m_label);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_ok);
    buttons->addWidget(m_cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->addLayout(buttons);

    connect(m_ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
    languageChange();
}

void Watchdog_Dialog::languageChange()
{
    setWindowTitle(tr("Watchdog"));
    m_label->setText(tr("Seconds"));
    m_ok->setText(tr("&OK"));
    m_cancel->setText(tr("&Cancel"));
}

void Watchdog_Dialog::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::LanguageChange)
        languageChange();
    QDialog::changeEvent(event);
}
