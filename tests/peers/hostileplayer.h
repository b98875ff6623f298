#pragma once

// A hostile player: an emulated player that registers like a real one and
// answers every call with one chosen bad reply (an emulator fault setting).
// hostileReplies() lists the bad replies a controller must survive.

#include "emulatorpeer.h"

#include <QTemporaryDir>

#include <memory>

struct HostileReply
{
    QString name;
    QString setting; // for the emulator's --fault
};

inline const QList<HostileReply>& hostileReplies()
{
    static const QList<HostileReply> replies{
        {"huge string value", "huge"}, // 60 MB
        {"huge string with line breaks", R"({"mode": "huge", "size": 10000000, "fill": "line\n"})"},
        {"deflate bomb", "bomb"}, // some 60 KB expanding to 60 MiB, its length prefix lying
        {"10 MB fault message", R"({"mode": "fault", "size": 10000000})"},
        {"endless 100 Continue", "interim"},
        {"HTTP 500 with a valid body", "status:500"},
        {"empty fault struct", "empty-fault"},
        {"HTML error page", "html:500"},
        {"HTML text", R"(huge:300:<h1>Update required</h1><a href="http://example.invalid/">here</a><img src="x.png">)"},
        {"no answer", "delay:3600"},
    };
    return replies;
}

class HostilePlayer
{
public:
    static constexpr const char* kName = "Screen07";

    // Starts the player at address:8888 (FTP at 2121), registering with a
    // controller at 127.0.0.1:controllerPort.
    bool start(const QString& address, quint16 controllerPort, const QString& setting)
    {
        m_peer = std::make_unique<EmulatorPeer>(m_dir.filePath("player"));
        return m_dir.isValid()
            && m_peer->start(controllerPort, address, 1, {"--name", kName, "--fault", "*=" + setting});
    }

private:
    QTemporaryDir m_dir;
    std::unique_ptr<EmulatorPeer> m_peer;
};
