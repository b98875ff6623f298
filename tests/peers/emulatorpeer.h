#pragma once

// Runs the player emulator (tools/kvo_player_emulator.py): players on consecutive loopback addresses at
// the players' real ports, registering with a controller and journalling every call and FTP transfer.

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTest>

#ifdef Q_OS_LINUX
#include <csignal>
#include <sys/prctl.h>
#endif

class EmulatorPeer
{
public:
    explicit EmulatorPeer(const QString& directory) : m_directory(directory) {}
    ~EmulatorPeer()
    {
        m_process.terminate();
        if (!m_process.waitForFinished(5000)) {
            m_process.kill();
            m_process.waitForFinished(5000);
        }
        if (QTest::currentTestFailed())
            qWarning() << "emulator stderr:" << m_process.readAllStandardError();
    }

    // Starts count players from firstAddress and waits until each listens.
    bool start(quint16 controllerPort, const QString& firstAddress, int count, const QStringList& arguments)
    {
        QDir().mkpath(m_directory);
        m_process.setProgram("/usr/bin/python3");
        m_process.setArguments(QStringList{KVO_SOURCE_DIR "/tools/kvo_player_emulator.py", "--controller", "127.0.0.1",
                                           "--controller-port", QString::number(controllerPort), "--first-address",
                                           firstAddress, "--count", QString::number(count), "--journal",
                                           m_directory + "/journal.jsonl", "--state-dir", m_directory + "/state",
                                           "--control", "none"}
                               + arguments);
#ifdef Q_OS_LINUX
        // Players must not outlive a test that crashed.
        m_process.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
#endif
        m_process.start();
        QByteArray output;
        const bool ready = m_process.waitForStarted(10000) && QTest::qWaitFor([&] {
            output += m_process.readAllStandardOutput();
            return output.count("\nplayer ") >= count || m_process.state() != QProcess::Running;
        }, 10000);
        if (!ready || m_process.state() != QProcess::Running) {
            qWarning() << "emulator did not start:" << output << m_process.readAllStandardError();
            return false;
        }
        return true;
    }

    QString mediaDirectory(const QString& address) const { return m_directory + "/state/" + address + "/media"; }

    // Journal records of one event kind ("call", "ftp") of one player, and of one method when given.
    QList<QJsonObject> journal(const QString& event, const QString& address, const QString& method = QString()) const
    {
        QList<QJsonObject> records;
        QFile file(m_directory + "/journal.jsonl");
        if (!file.open(QIODevice::ReadOnly))
            return records;
        for (const QByteArray& line : file.readAll().split('\n')) {
            const QJsonObject record = QJsonDocument::fromJson(line).object();
            if (record.value("event") == event && record.value("player") == address
                && (method.isEmpty() || record.value("method") == method))
                records.append(record);
        }
        return records;
    }

private:
    QString m_directory;
    QProcess m_process;
};
