#include "core/debuglog.h"

#include "core/displaytext.h"

#include <QFile>

#include <cstdlib>

QString debugLogLine(QtMsgType type, const QString& rawMessage)
{
    const QString message = elideForDisplay(rawMessage, kDebugLogLineLength);
    switch (type) {
    case QtDebugMsg:
    case QtInfoMsg:
        return QStringLiteral("Debug: ") + message + QLatin1Char('\n');
    case QtWarningMsg:
    case QtCriticalMsg:
        return QStringLiteral("Warning: ") + message + QLatin1Char('\n');
    case QtFatalMsg:
        return QStringLiteral("Fatal: ") + message + QLatin1Char('\n');
    }
    return QString();
}

void debugLogMessageHandler(QtMsgType type, const QMessageLogContext&, const QString& message)
{
    QFile log(QString::fromLatin1(kDebugLogFileName));
    if (log.open(QIODevice::WriteOnly | QIODevice::Append))
        log.write(debugLogLine(type, message).toUtf8());
    log.close();
    // A fatal message ends the process even when the log could not be written.
    if (type == QtFatalMsg)
        std::abort();
}

void removeDebugLog()
{
    QFile::remove(QString::fromLatin1(kDebugLogFileName));
}
