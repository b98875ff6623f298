#include "players/registrationrecord.h"

QString decodePlayerName(const QString& field)
{
    const QString marker = QStringLiteral("U+");
    if (!field.contains(marker))
        return field;
    const QStringList parts = field.split(marker);
    QString name;
    for (qsizetype i = 1; i < parts.size(); ++i) {
        if (parts.at(i).isEmpty())
            break;
        bool ok = false;
        const ushort code = parts.at(i).toUShort(&ok, 16);
        name.append(QChar(ok ? code : 0));
    }
    return name;
}

bool isDmzOn(const QString& flag)
{
    const QString word = flag.trimmed().toUpper();
    return word == QLatin1String("ON") || word == QLatin1String("1") || word == QLatin1String("YES")
        || word == QLatin1String("ENABLE");
}

QString recordField(const QStringList& record, int index)
{
    return index < record.size() ? record.at(index) : QString();
}

QString contactAddress(const QStringList& record)
{
    return isDmzOn(recordField(record, RegistrationField::DmzFlag))
        ? recordField(record, RegistrationField::DmzIp)
        : recordField(record, RegistrationField::Address);
}

QString playerEndpoint(const QString& address)
{
    return QStringLiteral("http://") + address + QStringLiteral(":8888/RPC2");
}
