#pragma once

// Rules of a player's network settings that need no window: the validators'
// patterns, the truth words of stored flags, the check of what the operator
// entered, the name form sent to a player and the environment files of a
// virtual player.

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QPair>
#include <QString>

namespace netsettings {

// Patterns of the dialog's validators (case-sensitive).
inline constexpr const char* kIpAddressPattern =
    R"(^([01]?\d\d?|2[0-4]\d|25[0-5])\.([01]?\d\d?|2[0-4]\d|25[0-5])\.([01]?\d\d?|2[0-4]\d|25[0-5])\.([01]?\d\d?|2[0-4]\d|25[0-5])$)";
inline constexpr const char* kPlayerNamePattern = R"(\w+)";
inline constexpr const char* kWepKeyPattern = R"(^(((\d|[a-f]|[A-F]){10})|((\d|[a-f]|[A-F]){26}))$)";

inline constexpr const char* kLanChipset = "RTL8100";
inline constexpr const char* kWlanChipset = "RT61";
inline constexpr const char* kDisabled = "DISABLE";
inline constexpr const char* kDefaultGateway = "127.0.0.1";
inline constexpr const char* kDefaultNetmask = "255.255.255.0";

// "on", "1" or "yes", trimmed and in any case.
bool isTruthWord(const QString& value);
// "ON" or "OFF".
QString onOff(bool on);
// A complete dotted-quad address as the address validator accepts it.
bool isIpAddress(const QString& text);

// What the operator left in the network dialog.
struct NetworkForm {
    QString lanChipset;
    int lanIndex = 0;
    QString wlanChipset;
    int wlanIndex = 1;
    QString wepKey;
    QString name;
    QString lanIp;
    QString lanGateway;
    QString lanMask;
    bool lanDhcp = false;
    QString serverIp;
    QString essid;
    QString wlanIp;
    QString wlanGateway;
    QString wlanMask;
    bool wlanDhcp = false;
    bool dmz = false;
    QString dmzIp;
};

// The settings that go to the player, as the five calls carry them.
struct NetworkSettings {
    QString name;
    QString lanDevice, lanDhcp, lanIp, lanGateway, lanMask;
    QString serverIp;
    QString wlanDevice, essid, wepKey, wlanDhcp, wlanIp, wlanGateway, wlanMask;
    QString dmz, dmzIp;
};

struct NetworkCheck {
    bool ok = false;
    // The refusal shown to the operator when !ok.
    QString title;
    QString text;
    NetworkSettings settings;
};

// Checks the form in the dialog's order; the first failure wins.
NetworkCheck checkNetworkForm(const NetworkForm& form);

// The name as sent to a player: unchanged when it is plain ASCII, else every
// UTF-16 unit as "U+" and upper-case hexadecimal (Aé -> U+41U+E9).
QString nameForPlayer(const QString& name);

using EnvironmentLines = QList<QPair<QString, QString>>;

// One "KEY=value" line per entry, each ended by a line feed, in UTF-8.
QByteArray environmentText(const EnvironmentLines& lines);

// The values of an environment file by key: the text after the first "=" of
// each line, exactly (a carriage return before the line feed is dropped);
// lines without "=" are skipped and a repeated key takes its last value.
QHash<QString, QString> readEnvironment(const QByteArray& text);

// Files of a virtual player, relative to its directory, and their lines.
inline constexpr const char* kLanFile = "/sys/lan.env";
inline constexpr const char* kWlanFile = "/sys/wlan.env";
inline constexpr const char* kNatFile = "/sys/nat.env";
inline constexpr const char* kServerFile = "/sys/kvosvr.env";
EnvironmentLines lanLines(const QString& device, const QString& dhcp, const QString& ip, const QString& gateway,
                          const QString& mask);
EnvironmentLines wlanLines(const QString& device, const QString& essid, const QString& key, const QString& dhcp,
                           const QString& ip, const QString& gateway, const QString& mask);
EnvironmentLines natLines(const QString& flag, const QString& ip);
EnvironmentLines serverLines(const QString& ip);


} // namespace netsettings
