#pragma once

#include <QString>

// The controller's own IPv4 address in dotted decimal form: the first IPv4
// address the local host name resolves to, or an empty string when it
// resolves to none.
QString GetOwnIPAddress();

// The version text shown to the operator and in the firmware box.
inline constexpr const char* kVersionText = "Generic Kivo 3.27 2010-05-28";
