#pragma once

// Runs tests/peers/xmlrpc_peer.py (Python's standard XML-RPC library) and
// writes values in the typed JSON it reads and writes.

#include "xmlrpc/xrvalue.h"

#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSignalSpy>

inline QJsonObject typed(const QString& kind, const QJsonValue& content) { return QJsonObject{{kind, content}}; }

inline QJsonValue toTyped(const QVariant& value)
{
    switch (value.typeId()) {
    case QMetaType::Bool: return typed("boolean", value.toBool());
    case QMetaType::Int: return typed("int", value.toInt());
    case QMetaType::Double: return typed("double", value.toDouble());
    case QMetaType::QString: return typed("string", value.toString());
    case QMetaType::QDateTime: return typed("dateTime", value.toDateTime().toString(QLatin1String(kXrDateTimeFormat)));
    case QMetaType::QByteArray: return typed("base64", QString::fromLatin1(value.toByteArray().toHex()));
    case QMetaType::QVariantList: {
        QJsonArray items;
        for (const QVariant& item : value.toList())
            items.append(toTyped(item));
        return typed("array", items);
    }
    case QMetaType::QVariantMap: {
        QJsonObject members;
        const QVariantMap map = value.toMap();
        for (auto it = map.cbegin(); it != map.cend(); ++it)
            members.insert(it.key(), toTyped(it.value()));
        return typed("struct", members);
    }
    default: return QJsonValue();
    }
}

// Runs the peer in mode ("load", "dump", "call URL") on input and returns
// what it printed; empty when it failed. The event loop runs meanwhile.
inline QByteArray runPythonPeer(const QStringList& mode, const QByteArray& input)
{
    QProcess peer;
    QSignalSpy finished(&peer, &QProcess::finished);
    peer.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    peer.start("/usr/bin/python3", QStringList{KVO_SOURCE_DIR "/tests/peers/xmlrpc_peer.py"} + mode);
    peer.write(input);
    peer.closeWriteChannel();
    const bool finishedWell = finished.wait(60000) && peer.exitStatus() == QProcess::NormalExit && peer.exitCode() == 0;
    return finishedWell ? peer.readAllStandardOutput() : QByteArray(); // QProcess kills a peer still running
}

inline QJsonArray runPythonPeer(const QStringList& mode, const QJsonArray& input)
{
    return QJsonDocument::fromJson(runPythonPeer(mode, QJsonDocument(input).toJson(QJsonDocument::Compact))).array();
}
