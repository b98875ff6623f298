#include "content/batchserver.h"

#include "content/storage.h"
#include "core/installpaths.h"

#include <optional>

namespace batchserver {

namespace {
std::optional<QString> chosenProgram;
}

QStringList arguments(const QString& root)
{
    return {QStringLiteral("-root"), root, QStringLiteral("-ports"), QString::number(kPort),
            QStringLiteral("-access_log"), QStringLiteral("access.log"), QStringLiteral("-error_log"),
            QStringLiteral("error.log")};
}

QString program()
{
    if (chosenProgram)
        return *chosenProgram;
    if (qEnvironmentVariableIsSet("KVO_BATCH_SERVER"))
        return qEnvironmentVariable("KVO_BATCH_SERVER");
#ifdef Q_OS_WIN
    const QString name = QStringLiteral("mongoose.exe");
#else
    const QString name = QStringLiteral("kvo-batch-server");
#endif
    return installpaths::helperProgram(name);
}

void setProgram(const QString& program)
{
    chosenProgram = program;
}

void resetProgram()
{
    chosenProgram.reset();
}

} // namespace batchserver

WgetProgress parseWgetProgress(const QString& progress)
{
    WgetProgress parsed;
    QString line = progress.trimmed();
    if (!line.endsWith(QLatin1Char('%')))
        return parsed;
    line.chop(1);
    bool isNumber = false;
    const int percent = line.right(3).trimmed().toInt(&isNumber);
    // A percentage outside 0..100 is no progress a bar can show.
    if (!isNumber || percent < 0 || percent > 100)
        return parsed;
    parsed.valid = true;
    parsed.percent = percent;
    parsed.fileName = storage::repairedName(line.left(20).trimmed());
    parsed.line = storage::repairedName(progress.trimmed());
    return parsed;
}
