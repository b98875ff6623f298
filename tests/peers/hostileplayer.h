#pragma once

// A hostile player: an emulated player answering every call with one bad reply (an emulator fault setting).
// hostileReplies() lists the bad replies a controller must survive, with what a client reports for each.

#include "emulatorpeer.h"

#include <QTemporaryDir>

struct HostileReply
{
    const char* name;
    QString setting; // for the emulator's --fault
    int code;        // 0: a value (text the window shows as plain text)
    QString text;    // empty: the parser's own words
};

inline const QList<HostileReply>& hostileReplies()
{
    static const QList<HostileReply> replies{
        {"huge string value", "huge", -32300, "Response too large: reply from Screen07 exceeded 4 MiB"}, // 60 MB
        // Some 60 KB expanding to 60 MiB, its length prefix lying.
        {"deflate bomb", "bomb", -32300, "Response too large: reply from Screen07 exceeded 4 MiB"},
        {"endless 100 Continue", "interim", -32300,
         "Invalid HTTP response: reply from Screen07 sent more than 16 interim responses"},
        {"HTTP 500 with a valid body", "status:500", -32300, "HTTP error: reply from Screen07 has status 500"},
        {"empty fault struct", "empty-fault", -32600,
         "Invalid fault: reply from Screen07 has a fault without faultCode and faultString"},
        {"HTML error page", "html:500", -32700, QString()},
        {"HTML text", R"(huge:300:<h1>Update required</h1><a href="http://example.invalid/">here</a><img src="x.png">)",
         0, QString()},
    };
    return replies;
}

// The player "Screen07" at address:8888, registering with a controller at 127.0.0.1:controllerPort.
struct HostilePlayer
{
    static constexpr const char* kName = "Screen07";
    QTemporaryDir dir;
    EmulatorPeer peer{dir.filePath("player")};

    bool start(const QString& address, quint16 controllerPort, const QString& setting)
    {
        return dir.isValid() && peer.start(controllerPort, address, 1, {"--name", kName, "--fault", "*=" + setting});
    }
};
