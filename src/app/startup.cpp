#include "app/startup.h"

#include "app/commandline.h"
#include "core/debuglog.h"
#include "app/descriptorlimit.h"
#include "core/ownaddress.h"
#include "core/repositorypath.h"
#include "core/settings.h"
#include "app/terminationsignals.h"
#include "content/contentcontroller.h"
#include "players/playerscontroller.h"
#include "players/qxrkvoserver.h"
#include "window/kvo_form.h"

#include <QApplication>
#include <QDir>
#include <QFont>
#include <QLocale>
#include <QScreen>
#include <QStatusBar>
#include <QTranslator>

#include <cstdio>
#ifdef Q_OS_WIN
#include <winsock2.h>
#else
#include <sys/socket.h>
#endif
#include <memory>

namespace {
constexpr quint16 kRegistrationPort = 8888;
}

int registrationListenBacklog()
{
    // The system's usual backlog: with a handful, a burst of player
    // connections waits for the peers' SYN retransmits, a second or more each.
    return SOMAXCONN;
}

int runController(int& argc, char** argv)
{
    qInstallMessageHandler(debugLogMessageHandler);
    removeDebugLog();

    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const StartupOptions options = parseCommandLine(arguments);
    if (!options.error.isEmpty()) {
        std::fprintf(stderr, "kvo-controller: %s\n%s", qPrintable(options.error),
                     qPrintable(commandLineHelp(QStringLiteral("kvo-controller"))));
        return 2;
    }
    if (options.showHelp) {
        std::fputs(qPrintable(commandLineHelp(QStringLiteral("kvo-controller"))), stdout);
        return 0;
    }
    if (options.showVersion) {
        std::printf("%s\n", kVersionText);
        return 0;
    }

    auto app = std::make_unique<QApplication>(argc, argv);
    quitEventLoopOnTerminationSignals();

    auto settings = openSettingsStore();
    setRepositoryPath(readRepositoryPath(*settings));
    qDebug("%s starting; settings in %s; repository path %s", kVersionText, qPrintable(settings->fileName()),
           qPrintable(repositoryPath()));
    qDebug("%s", qPrintable(raiseDescriptorLimit()));

    const QString locale = QLocale::system().name();
    auto qtTranslator = std::make_unique<QTranslator>();
    (void)qtTranslator->load(QStringLiteral("qt_") + locale, QStringLiteral("."));
    QCoreApplication::installTranslator(qtTranslator.get());
    auto appTranslator = std::make_unique<QTranslator>();
    (void)appTranslator->load(QStringLiteral("kvosvr_") + locale, QStringLiteral("."));
    QCoreApplication::installTranslator(appTranslator.get());

    QApplication::setFont(QFont(QStringLiteral("Arial")));

    // A port already taken is not fatal: the window opens, registrations just never arrive.
    auto registrationService = std::make_unique<QXRKVOServer>(kRegistrationPort, registrationListenBacklog(), nullptr,
                                                              QString(), options.listenAddress);
    if (!registrationService->isListening())
        qWarning("Registration service cannot listen on %s port %d: %s",
                 qPrintable(options.listenAddress.toString()), kRegistrationPort,
                 qPrintable(registrationService->errorString()));

    auto window = std::make_unique<kvo_Form>(nullptr, nullptr, Qt::Window);
    window->statusBar()->showMessage(
        welcomeText(locale, GetOwnIPAddress(), QString::fromLatin1(kVersionText), QDir::rootPath()));
    // Without a window manager (Xvfb) maximising does nothing: start at the screen's size.
    window->resize(window->screen()->availableSize());
    window->showMaximized();
    QObject::connect(app.get(), &QGuiApplication::lastWindowClosed, app.get(), &QCoreApplication::quit);
    QObject::connect(registrationService.get(), &QXRKVOServer::NewPlayerRegistration, window->players(),
                     &PlayersController::AddNewPlayer);
    QObject::connect(registrationService.get(), &QXRKVOServer::update_wget_progress, window->content(),
                     &ContentController::set_wget_progress);

    const int result = QApplication::exec();
    qDebug("Event loop ended (%d)", result);

    window.reset();
    registrationService.reset();
    appTranslator.reset();
    qtTranslator.reset();
    settings->sync();
    settings.reset();
    app.reset();
    return result;
}
