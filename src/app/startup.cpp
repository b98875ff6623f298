#include "app/startup.h"

#include "app/commandline.h"
#include "core/debuglog.h"
#include "core/installpaths.h"
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
#include <QLibraryInfo>
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

void chooseEventDispatcher()
{
    if (!qEnvironmentVariableIsSet("QT_NO_GLIB"))
        qputenv("QT_NO_GLIB", "1");
    // A desktop theme's native file, colour and font dialogs need GLib's
    // loop: Qt's own dialogs instead.
    QCoreApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
}

int runController(int& argc, char** argv)
{
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
    // Before the log starts: the logs go to the working directory.
    if (options.userState) {
        const QString folder = installpaths::userStateDirectory();
        if (!installpaths::makePrivateDirectory(folder) || !QDir::setCurrent(folder)) {
            std::fprintf(stderr, "kvo-controller: cannot work in %s\n", qPrintable(folder));
            return 1;
        }
    }
    qInstallMessageHandler(debugLogMessageHandler);
    removeDebugLog();

    chooseEventDispatcher();
    auto app = std::make_unique<QApplication>(argc, argv);
    QGuiApplication::setDesktopFileName(installpaths::applicationId());
    quitEventLoopOnTerminationSignals();

    auto settings = openSettingsStore();
    setRepositoryPath(readRepositoryPath(*settings));
    qDebug("%s starting; settings in %s; repository path %s", kVersionText, qPrintable(settings->fileName()),
           qPrintable(repositoryPath()));
    qDebug("%s", qPrintable(raiseDescriptorLimit()));

    const QString locale = QLocale::system().name();
    const QStringList catalogueDirectories = installpaths::dataDirectories();
    auto qtTranslator = std::make_unique<QTranslator>();
    installpaths::loadCatalogue(*qtTranslator, QStringLiteral("qt_") + locale,
                                catalogueDirectories + QStringList{QLibraryInfo::path(QLibraryInfo::TranslationsPath)});
    QCoreApplication::installTranslator(qtTranslator.get());
    auto appTranslator = std::make_unique<QTranslator>();
    // The texts are written in English: any other language wants its catalogue.
    if (installpaths::loadCatalogue(*appTranslator, QStringLiteral("kvosvr_") + locale, catalogueDirectories).isEmpty()
        && QLocale(locale).language() != QLocale::English && QLocale(locale).language() != QLocale::C)
        qWarning("Catalogue kvosvr_%s not found in %s", qPrintable(locale),
                 qPrintable(catalogueDirectories.join(QLatin1String(", "))));
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
