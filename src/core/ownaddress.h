#pragma once

#include <QString>

// The controller's own IPv4 address in dotted decimal form: the first
// non-loopback IPv4 address of an interface that is up, a loopback address
// only when there is none, and an empty string without any IPv4 address.
QString GetOwnIPAddress();

// The version text shown to the operator and in the firmware box.
inline constexpr const char* kVersionText = "Generic Kivo 3.27 2010-05-28";
