#pragma once

// Runs tests/peers/ftp_server.py (the players' FTP accounts, served by
// pyftpdlib) on one loopback address for the lifetime of the object.

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>

class FtpPeer
{
public:
    explicit FtpPeer(const QString& host)
        : m_host(host)
    {
        m_process.setProgram(QStringLiteral("/usr/bin/python3"));
        m_process.setArguments({QStringLiteral(KVO_SOURCE_DIR "/tests/peers/ftp_server.py"),
                                QStringLiteral("--host"), host, QStringLiteral("--root"), m_root.path()});
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_process.start();
        if (!m_process.waitForStarted(10000))
            return;
        while (!m_process.canReadLine() && m_process.waitForReadyRead(10000)) {
        }
        m_port = m_process.readLine().trimmed().toUShort();
    }

    ~FtpPeer()
    {
        m_process.terminate();
        if (!m_process.waitForFinished(5000)) {
            m_process.kill();
            m_process.waitForFinished(5000);
        }
    }

    bool isRunning() const { return m_port != 0; }
    QString host() const { return m_host; }
    quint16 port() const { return m_port; }
    // The starting directory of an account ("kvo", "ticker", "log").
    QString accountDir(const QString& user) const { return QDir(m_root.path()).filePath(user); }

    QByteArray remoteFile(const QString& user, const QString& name) const
    {
        QFile file(QDir(accountDir(user)).filePath(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

private:
    QString m_host;
    QTemporaryDir m_root;
    QProcess m_process;
    quint16 m_port = 0;
};
