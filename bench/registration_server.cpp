// Runs the registration service alone, for load tests.
// Usage: kvo-bench-registration-server [ADDRESS [PORT [BACKLOG]]]
// (defaults 127.0.0.1, 8888, 5). Prints the port it listens on, then serves
// until it is terminated; registrations are counted and the count printed
// on SIGINT or SIGTERM.

#include "app/startup.h"
#include "players/qxrkvoserver.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <QTextStream>

#include <csignal>
#include <unistd.h>

namespace {

int g_signalPipe[2];

void onSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const auto written = ::write(g_signalPipe[1], &byte, 1);
}

} // namespace

int main(int argc, char** argv)
{
    chooseEventDispatcher();
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const QHostAddress address(args.value(1, "127.0.0.1"));
    const quint16 port = quint16(args.value(2, "8888").toUInt());
    const int backlog = args.value(3, "5").toInt();

    QXRKVOServer server(port, backlog, nullptr, "registration", address);
    // The load generator speaks from one address with many connections,
    // which players never do.
    server.setMaxConnectionsPerPeer(server.maxConnections());
    QTextStream out(stdout);
    if (!server.isListening()) {
        QTextStream(stderr) << "cannot listen on " << address.toString() << ':' << port << ": "
                            << server.errorString() << '\n';
        return 1;
    }
    long long registrations = 0;
    QObject::connect(&server, &QXRKVOServer::NewPlayerRegistration, [&] { ++registrations; });

    if (::pipe(g_signalPipe) != 0)
        return 1;
    QSocketNotifier stop(g_signalPipe[0], QSocketNotifier::Read);
    QObject::connect(&stop, &QSocketNotifier::activated, &app, &QCoreApplication::quit);
    std::signal(SIGINT, onSignal);
    std::signal(SIGTERM, onSignal);

    out << server.serverPort() << Qt::endl;
    const int status = app.exec();
    out << "registrations: " << registrations << Qt::endl;
    return status;
}
