#include "ui/filechooser.h"

#include "ui/prompts.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>

FileChooser::FileChooser(QWidget* parent)
    : QWidget(parent)
    , m_lineEdit(new QLineEdit(this))
    , m_browseButton(new QPushButton(this))
{
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(4);
    layout->addWidget(m_lineEdit, 1);
    layout->addWidget(m_browseButton);
    m_lineEdit->setObjectName(QStringLiteral("lineEdit"));
    m_browseButton->setObjectName(QStringLiteral("browseButton"));
    setFocusProxy(m_lineEdit);
    retranslate();

    connect(m_lineEdit, &QLineEdit::editingFinished, this, &FileChooser::acceptEditedText);
    connect(m_browseButton, &QPushButton::clicked, this, &FileChooser::browse);
}

void FileChooser::setMode(Mode mode)
{
    m_mode = mode;
    retranslate();
}

QString FileChooser::fileName() const
{
    return m_lineEdit->text();
}

void FileChooser::setFileName(const QString& name)
{
    m_reportedName = name;
    m_lineEdit->setText(name);
}

void FileChooser::acceptEditedText()
{
    report(m_lineEdit->text());
}

void FileChooser::browse()
{
    const QString picked = m_mode == Directory
        ? prompts().existingDirectory(this, tr("Choose a directory"), fileName())
        : prompts().openFileName(this, tr("Choose a file"), fileName(), QString());
    if (picked.isEmpty())
        return;  // cancelled
    m_lineEdit->setText(picked);
    report(picked);
}

void FileChooser::report(const QString& name)
{
    if (name == m_reportedName)
        return;
    m_reportedName = name;
    emit fileNameChanged(name);
}

void FileChooser::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::LanguageChange)
        retranslate();
    QWidget::changeEvent(event);
}

void FileChooser::retranslate()
{
    m_browseButton->setText(tr("..."));
    m_browseButton->setToolTip(m_mode == Directory ? tr("Choose a directory") : tr("Choose a file"));
}
