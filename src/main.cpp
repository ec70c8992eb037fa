#include "CommandClient.h"
#include "Platforms.h"
#include "analytics/SignalClient.h"
#include "app/AppDelegate.h"
#include "app/RemoteControl.h"
#include "platform/InstanceLock.h"
#include "platform/Log.h"
#include "platform/QtRuntime.h"
#include "platform/Translation.h"
#include "platform/network/LocalControlServer.h"
#include "power/SystemPowerManager.h"
#include "widgets/Accessibility.h"
#include "widgets/QtAlertPresenter.h"
#include "widgets/QtWindowFactory.h"
#include "widgets/StatusItem.h"
#include "widgets/Style.h"
#include "widgets/UiDriver.h"
#include "widgets/WindowOrder.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QScreen>
#include <QSocketNotifier>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>

namespace {

int signalPipe[2] = {-1, -1};

void onTerminationSignal(int) {
    char byte = 1;
    [[maybe_unused]] auto written = ::write(signalPipe[1], &byte, 1);
}

// SIGINT and SIGTERM end the event loop through a self-pipe, so shutdown runs on the main thread.
void quitOnTerminationSignals(QApplication& application) {
    if (::pipe(signalPipe) != 0)
        return;
    auto* notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, &application);
    QObject::connect(notifier, &QSocketNotifier::activated, &application, [] { QCoreApplication::quit(); });
    struct sigaction action {};
    action.sa_handler = onTerminationSignal;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGINT, &action, nullptr);
    ::sigaction(SIGTERM, &action, nullptr);
}

struct ScreenSize {
    int width = 1440;
    int height = 900;
};

// The offscreen screen's size: a laptop's 1440 × 900 (the platform's own 800 × 600 would cramp the windows), or
// WIDTHxHEIGHT from TALLOWMERE_SCREEN_SIZE to see them on another screen. Nothing for a malformed size.
std::optional<ScreenSize> offscreenScreenSize() {
    const char* chosen = std::getenv("TALLOWMERE_SCREEN_SIZE");
    if (!chosen || !*chosen)
        return ScreenSize{};
    ScreenSize size;
    char end = 0;
    if (std::sscanf(chosen, "%dx%d%c", &size.width, &size.height, &end) != 2 || size.width < 320 || size.height < 240 ||
        size.width > 16384 || size.height > 16384)
        return std::nullopt;
    return size;
}

// Returns the file, or nothing when it cannot be written.
std::string writeOffscreenScreen(ScreenSize size) {
    const char* folder = std::getenv("TMPDIR");
    std::string path =
        std::string(folder && *folder ? folder : "/tmp") + "/tallowmere-screen-" + std::to_string(::getpid()) + ".json";
    std::FILE* file = std::fopen(path.c_str(), "w");
    if (!file)
        return {};
    std::fprintf(file,
                 R"({"screens":[{"name":"Built-in Display","x":0,"y":0,"width":%d,"height":%d,)"
                 R"("logicalDpi":96,"logicalBaseDpi":96,"dpr":1}]})",
                 size.width, size.height);
    return std::fclose(file) == 0 ? path : std::string();
}

std::shared_ptr<tallowmere::ScreenMetricsProvider> currentScreenMetrics() {
    auto provider = std::make_shared<tallowmere::ScreenMetricsProvider>();
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        tallowmere::ScreenMetrics metrics;
        QSize size = screen->size() * screen->devicePixelRatio();
        metrics.width = size.width();
        metrics.height = size.height();
        metrics.scaleFactor = screen->devicePixelRatio();
        provider->update(metrics);
    }
    return provider;
}

// One copy per simulated machine or desktop session: a second one leaves the first in charge. A lock file that
// cannot be made at all (a read-only folder) stops nobody.
bool isFirstCopy(std::optional<tallowmere::InstanceLock>& lock, const std::string& path) {
    // The simulated Mac's folder may not exist yet on its first run.
    QDir().mkpath(QFileInfo(QString::fromStdString(path)).absolutePath());
    lock.emplace(path);
    if (!lock->isHeldByAnother())
        return true;
    const std::optional<long> holder = lock->holder();
    std::fprintf(stderr, "Tallowmere is already running%s\n",
                 holder ? (" (pid " + std::to_string(*holder) + ")").c_str() : "");
    return false;
}

} // namespace

int main(int argc, char** argv) {
    using namespace tallowmere;

    const std::vector<std::string> arguments(argv + 1, argv + argc);
    const CommandLine line = parseCommandLine(arguments);
    const PlatformChoice* chosen = platformNamed(line.platform);
    if (line.action != CommandLine::Action::start || !chosen) {
        // Answered without starting, in the user's language: parsed again once the translation is in, for the
        // errors' sake.
        QCoreApplication core(argc, argv);
        installTranslation();
        return answerWithoutStarting(parseCommandLine(arguments));
    }
    takePlatformOption(argc, argv);

    // Without a display (a server, CI) the application still runs, drawing off screen on a screen the size of
    // a laptop's.
    std::string offscreenConfiguration;
    if (chosen->drawsOffscreenWithoutDisplay && !std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY") &&
        !std::getenv("QT_QPA_PLATFORM")) {
        const std::optional<ScreenSize> screen = offscreenScreenSize();
        if (!screen) {
            std::fputs("TALLOWMERE_SCREEN_SIZE: expected WIDTHxHEIGHT in points, e.g. 1024x640\n", stderr);
            return 2;
        }
        offscreenConfiguration = writeOffscreenScreen(*screen);
        std::string platform = "offscreen";
        if (!offscreenConfiguration.empty())
            platform += ":configfile=" + offscreenConfiguration;
        ::setenv("QT_QPA_PLATFORM", platform.c_str(), 1);
    }

    QApplication application(argc, argv);
    if (!offscreenConfiguration.empty())
        std::remove(offscreenConfiguration.c_str());
    QApplication::setApplicationName("Tallowmere");
    installTranslation();
    // The desktop entry com.tallowmere.app.desktop: Wayland compositors match the windows to it by this name.
    QApplication::setDesktopFileName("com.tallowmere.app");
    QApplication::setQuitOnLastWindowClosed(false);
    QApplication::setWindowIcon(symbolIcon("tallowmere"));
    applyStyle(application);
    installAccessibility();
    WindowOrder::track(application);
    quitOnTerminationSignals(application);

    QtRuntime runtime;
    std::optional<InstanceLock> instance;
    if (!isFirstCopy(instance, chosen->instanceLockPath()))
        return 1;
    std::unique_ptr<PlatformBackend> backend = chosen->start(runtime);
    if (!backend)
        return 1;
    Platform platform = backend->platform();
    std::shared_ptr<HttpTransport> analyticsTransport = backend->analyticsTransport();
    PreferenceStore& analyticsPreferences = backend->analyticsPreferences();

    std::shared_ptr<SignalClient> analyticsClient;
    Analytics analytics(runtime, platform.preferences, [&] {
        AnalyticsConfiguration configuration(TALLOWMERE_ANALYTICS_APP_ID);
        configuration.urlSession = analyticsTransport;
        analyticsClient =
            SignalClient::initialize(configuration, {runtime, analyticsPreferences, platform.fileSystem,
                                                     platform.bundle, currentScreenMetrics(), nullptr, std::nullopt});
        return analyticsClient;
    });

    auto powerManager = SystemPowerManager::create(platform.systemPower, runtime);
    QtWindowFactory windows;
    QtAlertPresenter alerts;
    auto delegate = AppDelegate::create({platform, powerManager, analytics, windows, alerts});

    StatusItem statusItem(delegate->context());
    UiDriver userInterface({[&] { return statusItem.prepareMenu(); }, [&] { return statusItem.menuPosition(); },
                            [&] { return statusItem.menuBar(); }});
    backend->setUserInterfaceDriver([&](const QString& command, const std::vector<QString>& arguments) {
        UiDriver::Result result = userInterface.run(command, arguments);
        return PlatformBackend::UserInterfaceAnswer{result.status, result.output, result.error};
    });

    QObject::connect(&application, &QCoreApplication::aboutToQuit, [&] {
        delegate->applicationWillTerminate();
        // The events of quitting (the guard's deactivation) and any still on their way reach the cache first.
        analytics.flush(Seconds(1));
        analyticsClient->appWillTerminate();
    });
    // `tallowmere COMMAND` from a second copy arrives here.
    std::shared_ptr<RemoteControl> remoteControl = RemoteControl::create(delegate->context());
    LocalControlServer controlSocket(
        chosen->instanceLockPath(),
        ControlProtocol::encodeAnswer(
            {CommandStatus::badUsage, {}, translated("CommandLine", "The request is too long.")}),
        [remoteControl](const QByteArray& request, LocalControlServer::Reply reply) {
            remoteControl->handleRequest(request, std::move(reply));
        });
    if (std::string controlError; !controlSocket.listen(&controlError))
        logError(LogCategory::app(), "Command line: not available: " + controlError);

    runtime.mainAsync([&] { delegate->applicationDidFinishLaunching(); });

    logLine(LogCategory::app(), "Tallowmere: started (pid " + std::to_string(::getpid()) + ")");
    int status = QApplication::exec();
    backend->stop();
    logLine(LogCategory::app(), "Tallowmere: stopped");
    // Background work may still wait on a child process or a timeout; everything that must outlive the
    // process is on disk by now, so it is not waited for.
    std::fflush(stdout);
    std::_Exit(status);
}
