#pragma once

// Rules for reading the 20-string registration record of a player.

#include <QString>
#include <QStringList>

namespace RegistrationField {
enum : int {
    Name = 0, Address, Playing, VideoMode, LanIp, WlanIp, Essid, WepKey, ServerIp, LanDevice,
    WlanDevice, LanGateway, LanMask, WlanGateway, WlanMask, LanDhcp, WlanDhcp, DmzFlag, DmzIp,
    PowerState,
    Count
};
}

// Decodes a name in "U+" notation (each "U+" followed by the hexadecimal
// code of one character); a name without "U+" is returned unchanged.
QString decodePlayerName(const QString& field);

// "ON", "1", "YES" or "ENABLE", after trimming and in any case.
bool isDmzOn(const QString& flag);

// The address at which the controller calls the player: the DMZ address when
// DMZ is on, otherwise the reported address.
QString contactAddress(const QStringList& record);

// The player's XML-RPC endpoint for a contact address.
QString playerEndpoint(const QString& address);

// The record's field, or an empty string past its end.
QString recordField(const QStringList& record, int index);
