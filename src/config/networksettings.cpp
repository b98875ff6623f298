#include "config/networksettings.h"

#include <QCoreApplication>
#include <QRegularExpression>

namespace netsettings {

namespace {

QString tr(const char* text)
{
    return QCoreApplication::translate("NetManagementDialog", text);
}

NetworkCheck refuse(const QString& title, const QString& text)
{
    NetworkCheck check;
    check.title = title;
    check.text = text;
    return check;
}

} // namespace

bool isTruthWord(const QString& value)
{
    const QString word = value.trimmed().toLower();
    return word == QLatin1String("on") || word == QLatin1String("1") || word == QLatin1String("yes");
}

QString onOff(bool on)
{
    return on ? QStringLiteral("ON") : QStringLiteral("OFF");
}

bool isIpAddress(const QString& text)
{
    static const QRegularExpression address(QString::fromLatin1(kIpAddressPattern));
    return address.match(text).hasMatch();
}

NetworkCheck checkNetworkForm(const NetworkForm& form)
{
    NetworkSettings s;
    s.lanDevice = form.lanChipset.trimmed().toUpper();
    if (s.lanDevice != QLatin1String(kLanChipset))
        s.lanDevice = QString::fromLatin1(kDisabled);
    s.wlanDevice = form.wlanChipset.trimmed().toUpper();
    if (s.wlanDevice != QLatin1String(kWlanChipset))
        s.wlanDevice = QString::fromLatin1(kDisabled);
    const bool lanOn = s.lanDevice == QLatin1String(kLanChipset);
    const bool wlanOn = s.wlanDevice == QLatin1String(kWlanChipset);

    const QString management = tr("Network management");
    if (!lanOn && !wlanOn)
        return refuse(management, tr("At least one of the two networking devices must be valid and enabled"));
    if (form.lanIndex != 1 && form.wlanIndex != 1)
        return refuse(management, tr("Cannot have both LAN and WLAN active at the same time."));

    s.wepKey = form.wepKey;
    const qsizetype keyLength = s.wepKey.size();
    if (wlanOn && keyLength != 0 && keyLength != 10 && keyLength != 26)
        return refuse(management, tr("WEP KEY must be 0, 10 or 26 HEX digits long. This network setting is canceled."));

    // From here on the title is spelled with a capital M.
    const QString title = tr("Network Management");
    // A field that is in use must hold a whole address: a half-typed one would
    // cut the player off the network at its next reboot.
    const auto badAddress = [](const QString& value) { return !value.isEmpty() && !isIpAddress(value); };

    s.name = form.name.trimmed();
    if (s.name.isEmpty())
        return refuse(title, tr("player name cannot be empty."));

    s.lanIp = form.lanIp.trimmed();
    if (lanOn && !form.lanDhcp) {
        if (s.lanIp.isEmpty())
            return refuse(title, tr("IP address cannot be empty."));
        if (badAddress(s.lanIp))
            return refuse(title, tr("IP address %1 is not valid.").arg(s.lanIp));
    }
    s.lanGateway = form.lanGateway.trimmed();
    if (lanOn && s.lanGateway.isEmpty())
        return refuse(title, tr("Gateway IP address cannot be empty."));
    if (lanOn && !form.lanDhcp && badAddress(s.lanGateway))
        return refuse(title, tr("Gateway IP address %1 is not valid.").arg(s.lanGateway));
    s.lanMask = form.lanMask.trimmed();
    if (lanOn && s.lanMask.isEmpty())
        return refuse(title, tr("Network mask cannot be empty."));
    if (lanOn && !form.lanDhcp && badAddress(s.lanMask))
        return refuse(title, tr("Network mask %1 is not valid.").arg(s.lanMask));
    s.lanDhcp = onOff(form.lanDhcp);

    s.serverIp = form.serverIp.trimmed();
    if (s.serverIp.isEmpty())
        return refuse(title, tr("Server IP address cannot be empty."));
    if (badAddress(s.serverIp))
        return refuse(title, tr("Server IP address %1 is not valid.").arg(s.serverIp));

    s.essid = form.essid.trimmed();
    if (wlanOn && s.essid.isEmpty())
        return refuse(title, tr("ESSID cannot be empty."));
    s.wlanIp = form.wlanIp.trimmed();
    if (wlanOn && !form.wlanDhcp) {
        if (s.wlanIp.isEmpty())
            return refuse(title, tr("WLAN IP address cannot be empty."));
        if (badAddress(s.wlanIp))
            return refuse(title, tr("WLAN IP address %1 is not valid.").arg(s.wlanIp));
    }
    s.wlanGateway = form.wlanGateway.trimmed();
    if (wlanOn && s.wlanGateway.isEmpty())
        return refuse(title, tr("WLAN gateway cannot be empty."));
    if (wlanOn && !form.wlanDhcp && badAddress(s.wlanGateway))
        return refuse(title, tr("WLAN gateway %1 is not valid.").arg(s.wlanGateway));
    s.wlanMask = form.wlanMask.trimmed();
    if (wlanOn && s.wlanMask.isEmpty())
        return refuse(title, tr("WLAN netmask cannot be empty."));
    if (wlanOn && !form.wlanDhcp && badAddress(s.wlanMask))
        return refuse(title, tr("WLAN netmask %1 is not valid.").arg(s.wlanMask));

    s.wlanDhcp = onOff(form.wlanDhcp);
    s.dmz = onOff(form.dmz);
    s.dmzIp = form.dmzIp.trimmed();
    if (form.dmz && s.dmzIp.isEmpty())
        return refuse(title, tr("DMZ IP address cannot be empty."));
    if (form.dmz && badAddress(s.dmzIp))
        return refuse(title, tr("DMZ IP address %1 is not valid.").arg(s.dmzIp));

    NetworkCheck check;
    check.ok = true;
    check.settings = s;
    return check;
}

QString nameForPlayer(const QString& name)
{
    bool plain = true;
    for (const QChar unit : name)
        plain = plain && unit.unicode() < 128;
    if (plain)
        return name;
    QString encoded;
    for (const QChar unit : name)
        encoded += QLatin1String("U+") + QString::number(unit.unicode(), 16).toUpper();
    return encoded;
}

QByteArray environmentText(const EnvironmentLines& lines)
{
    QByteArray text;
    for (const auto& [key, value] : lines)
        text += key.toUtf8() + '=' + value.toUtf8() + '\n';
    return text;
}

QHash<QString, QString> readEnvironment(const QByteArray& text)
{
    QHash<QString, QString> values;
    for (QByteArray line : text.split('\n')) {
        if (line.endsWith('\r'))
            line.chop(1);
        const qsizetype equals = line.indexOf('=');
        if (equals > 0)
            values.insert(QString::fromUtf8(line.left(equals)).trimmed(), QString::fromUtf8(line.mid(equals + 1)));
    }
    return values;
}

EnvironmentLines lanLines(const QString& device, const QString& dhcp, const QString& ip, const QString& gateway,
                          const QString& mask)
{
    return {{QStringLiteral("LAN"), device},
            {QStringLiteral("LANDHCP"), dhcp},
            {QStringLiteral("IPLAN"), ip},
            {QStringLiteral("LANGW"), gateway},
            {QStringLiteral("LANMASK"), mask}};
}

EnvironmentLines wlanLines(const QString& device, const QString& essid, const QString& key, const QString& dhcp,
                           const QString& ip, const QString& gateway, const QString& mask)
{
    return {{QStringLiteral("WLAN"), device},     {QStringLiteral("ESSID"), essid},
            {QStringLiteral("KEY"), key},         {QStringLiteral("WLANDHCP"), dhcp},
            {QStringLiteral("IPWLAN"), ip},       {QStringLiteral("WLANGW"), gateway},
            {QStringLiteral("WLANMASK"), mask}};
}

EnvironmentLines natLines(const QString& flag, const QString& ip)
{
    return {{QStringLiteral("DMZ"), flag}, {QStringLiteral("DMZIP"), ip}};
}

EnvironmentLines serverLines(const QString& ip)
{
    return {{QStringLiteral("KVOSVR"), ip}};
}

} // namespace netsettings
