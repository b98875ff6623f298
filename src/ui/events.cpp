#include "ui/events.h"

#include "core/displaytext.h"
#include "xmlrpc/xrclient.h"

#include <QDateTime>
#include <QListWidget>
#include <QScrollBar>

namespace {

EventLog* currentLog = nullptr;

} // namespace

EventLog::EventLog(QListWidget* view, const QString& filePath, qint64 maxFileBytes, QObject* parent)
    : QObject(parent), m_view(view), m_path(filePath), m_limit(qMax<qint64>(maxFileBytes, 1024))
{
    currentLog = this;
    m_scroll.setSingleShot(true);
    m_scroll.setInterval(0);
    connect(&m_scroll, &QTimer::timeout, this, [this] {
        if (m_view)
            m_view->scrollToBottom();
    });
}

EventLog::~EventLog()
{
    if (currentLog == this)
        currentLog = nullptr;
}

bool EventLog::openFile()
{
    if (m_file.isOpen())
        return true;
    if (m_fileFailed)
        return false;
    m_file.setFileName(m_path);
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text)) {
        // Said once: the pane keeps working without the file.
        m_fileFailed = true;
        qWarning("Events file %s cannot be written: %s", qPrintable(m_path), qPrintable(m_file.errorString()));
        return false;
    }
    return true;
}

void EventLog::record(const QString& text)
{
    const QString line = QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"))
        + QStringLiteral("  ") + elideForDisplay(text, kLineLength);

    if (m_view) {
        // Follows new lines unless the operator has scrolled up to read older ones.
        const QScrollBar* bar = m_view->verticalScrollBar();
        const bool following = bar->value() == bar->maximum();
        while (m_view->count() >= kViewLines)
            delete m_view->takeItem(0);
        m_view->addItem(line);
        if (following)
            m_scroll.start();
    }

    const QByteArray bytes = line.toUtf8() + '\n';
    if (!openFile())
        return;
    if (m_file.size() > 0 && m_file.size() + bytes.size() > m_limit) {
        m_file.close();
        const QString older = m_path + QStringLiteral(".1");
        QFile::remove(older);
        QFile::rename(m_path, older);
        if (!openFile())
            return;
    }
    // Flushed at once: the file is read while the controller runs, and survives a crash.
    m_file.write(bytes);
    m_file.flush();
}

void recordEvent(const QString& text)
{
    if (currentLog)
        currentLog->record(text);
}

namespace events {

void playerAdmitted(const QString& name, const QString& address)
{
    recordEvent(EventLog::tr("Player %1 (%2) is on line").arg(name, address));
}

void playerOffline(const QString& statusText)
{
    recordEvent(statusText);
}

void duplicateRefused(const QString& name, const QString& address, const QString& registeredName,
                      const QString& registeredAddress)
{
    recordEvent(EventLog::tr("Duplicated player refused: %1 (%2) uses the name of %3 (%4)")
                    .arg(name, address, registeredName, registeredAddress));
}

void commandFault(const QString& method, const QString& player, const QString& message)
{
    const QString who = player.isEmpty() ? EventLog::tr("an unknown player") : player;
    recordEvent(EventLog::tr("%1 failed on %2: %3").arg(method.isEmpty() ? EventLog::tr("A command") : method, who,
                                                         message));
}

void transferDone(const QString& player, const QString& errorText)
{
    recordEvent(errorText.isEmpty() ? EventLog::tr("Transfer to %1 finished").arg(player)
                                    : EventLog::tr("Transfer to %1 failed: %2").arg(player, errorText));
}

void copyDone(const QString& player, const QString& fileName, const QString& errorText)
{
    recordEvent(errorText.isEmpty() ? EventLog::tr("Copy of %1 to %2 finished").arg(fileName, player)
                                    : EventLog::tr("Copy of %1 to %2 failed: %3").arg(fileName, player, errorText));
}

void copyAborted(const QString& player, const QString& fileName)
{
    recordEvent(EventLog::tr("Copy of %1 to %2 aborted").arg(fileName, player));
}

void partialUpload(const QString& player, const QString& file, const QString& partialFile, bool removed,
                   const QString& reason)
{
    recordEvent(removed ? EventLog::tr("Incomplete upload of %1 removed from %2").arg(file, player)
                        : EventLog::tr("Incomplete upload of %1 left on %2 as %3: %4").arg(file, player, partialFile,
                                                                                          reason));
}

QString faultPlayerName(const QString& ownerName, const QObject* client)
{
    if (!ownerName.isEmpty() || !client)
        return ownerName;
    return XRClient::playerName(client->objectName());
}

} // namespace events
