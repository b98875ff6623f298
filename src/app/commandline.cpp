#include "app/commandline.h"

StartupOptions parseCommandLine(const QStringList& arguments)
{
    StartupOptions options;
    for (int i = 1; i < arguments.size(); ++i) {
        const QString& argument = arguments.at(i);
        if (argument == QLatin1String("--help") || argument == QLatin1String("-h")) {
            options.showHelp = true;
        } else if (argument == QLatin1String("--version")) {
            options.showVersion = true;
        } else if (argument == QLatin1String("--user-state")) {
            options.userState = true;
        } else if (argument == QLatin1String("--listen") || argument.startsWith(QLatin1String("--listen="))) {
            QString value;
            if (argument.contains(QLatin1Char('='))) {
                value = argument.section(QLatin1Char('='), 1);
            } else if (i + 1 < arguments.size()) {
                value = arguments.at(++i);
            } else {
                options.error = QStringLiteral("--listen needs an address");
                return options;
            }
            QHostAddress address;
            if (!address.setAddress(value)) {
                options.error = QStringLiteral("--listen: '%1' is not an IP address").arg(value);
                return options;
            }
            options.listenAddress = address;
        } else if (argument.startsWith(QLatin1Char('-'))
                   && !argument.startsWith(QLatin1String("-platform"))
                   && !argument.startsWith(QLatin1String("-style"))
                   && !argument.startsWith(QLatin1String("-display"))) {
            options.error = QStringLiteral("unknown option '%1'").arg(argument);
            return options;
        }
    }
    return options;
}

QString commandLineHelp(const QString& program)
{
    return QStringLiteral(
               "Usage: %1 [--listen ADDRESS] [--user-state] [--version] [--help]\n"
               "Runs the KVO Controller: players register with it on TCP port 8888.\n"
               "Its logs go to the working directory.\n\n"
               "  --listen ADDRESS  accept player registrations on this address only\n"
               "                    (default: every address of this machine)\n"
               "  --user-state      work in $XDG_STATE_HOME/kvo-controller\n"
               "                    (~/.local/state/kvo-controller), created if missing\n"
               "  --version         print the version and exit\n"
               "  --help            print this help and exit\n\n"
               "Without a display, run it under Xvfb (xvfb-run -a %1) or with\n"
               "QT_QPA_PLATFORM=offscreen.\n")
        .arg(program);
}
