#include "analytics/SignalClient.h"
#include "app/AppDelegate.h"
#include "platform/InstanceLock.h"
#include "platform/Log.h"
#include "platform/QtRuntime.h"
#include "platform/Translation.h"
#include "power/SystemPowerManager.h"
#include "widgets/Accessibility.h"
#include "widgets/QtAlertPresenter.h"
#include "widgets/QtWindowFactory.h"
#include "widgets/StatusItem.h"
#include "widgets/Style.h"
#include "widgets/UiDriver.h"
#include "widgets/WindowOrder.h"
#ifndef __APPLE__
#include "platform/sim/SimAnalyticsTransport.h"
#include "platform/sim/SimPlatform.h"
#endif
#ifdef __linux__
#include "platform/linux/LinuxPlatform.h"
#include "platform/network/QtHttpTransport.h"
#endif

#include <QApplication>
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

// Takes "--platform NAME" (or "--platform=NAME") out of the arguments before Qt reads them: Qt would take it
// for its own -platform option. "sim" (the simulated Mac) when none is given; nothing for a bad one.
std::optional<std::string> takePlatformOption(int& argc, char** argv) {
    std::string chosen = "sim";
    int kept = 1;
    for (int i = 1; i < argc; ++i) {
        std::string argument = argv[i];
        if (argument == "--platform" && i + 1 < argc)
            chosen = argv[++i];
        else if (argument.starts_with("--platform="))
            chosen = argument.substr(std::string("--platform=").size());
        else
            argv[kept++] = argv[i];
    }
    argc = kept;
    argv[argc] = nullptr;
    if (chosen == "sim")
        return chosen;
#ifdef __linux__
    if (chosen == "linux")
        return chosen;
#endif
    return std::nullopt;
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

    const std::optional<std::string> platformName = takePlatformOption(argc, argv);
    if (!platformName) {
        std::fputs("Usage: tallowmere [--platform sim|linux]\n", stderr);
        return 2;
    }

    // Without a display (a server, CI) the application still runs, drawing off screen on a screen the size of
    // a laptop's.
    std::string offscreenConfiguration;
    if (!std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY") && !std::getenv("QT_QPA_PLATFORM")) {
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
#ifndef __APPLE__
    // Not a Mac: the platform services are those of the simulated Mac, or with --platform linux those of the
    // Linux desktop.
    std::optional<SimPlatform> simulatedMac;
    std::optional<Platform> chosenPlatform;
    std::shared_ptr<HttpTransport> analyticsTransport;
    std::unique_ptr<PlistPreferenceStore> analyticsStore;
    std::optional<InstanceLock> instance;
#ifdef __linux__
    std::optional<LinuxPlatform> linuxDesktop;
    if (*platformName == "linux") {
        if (!isFirstCopy(instance, LinuxPlatform::instanceLockPath()))
            return 1;
        linuxDesktop.emplace(runtime);
        std::string linuxError;
        if (!linuxDesktop->start(&linuxError)) {
            logError(LogCategory::app(), "Linux: not started: " + linuxError);
            return 1;
        }
        chosenPlatform.emplace(linuxDesktop->platform());
        analyticsTransport = std::make_shared<QtHttpTransport>();
        analyticsStore =
            std::make_unique<PlistPreferenceStore>(LinuxPlatform::domainPath("com.tallowmere.app.analytics"));
    }
#endif
    if (*platformName == "sim") {
        simulatedMac.emplace(runtime);
        if (!isFirstCopy(instance, simulatedMac->machine().folder() + "/app.lock"))
            return 1;
        std::string simulatorError;
        if (!simulatedMac->start(&simulatorError)) {
            logError(LogCategory::app(), "Simulated Mac: not attached: " + simulatorError);
            return 1;
        }
        logLine(LogCategory::app(), "Simulated Mac: attached to " + simulatedMac->machine().folder());
        chosenPlatform.emplace(simulatedMac->platform());
        analyticsTransport = std::make_shared<SimAnalyticsTransport>(simulatedMac->machine());
        analyticsStore = std::make_unique<PlistPreferenceStore>(
            simulatedMac->machine().folder() + "/home/Library/Preferences/com.tallowmere.app.analytics.plist");
    }
    Platform platform = *chosenPlatform;
    PlistPreferenceStore& analyticsPreferences = *analyticsStore;
#endif

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
#ifndef __APPLE__
    UiDriver userInterface({[&] { return statusItem.prepareMenu(); }, [&] { return statusItem.menuPosition(); },
                            [&] { return statusItem.menuBar(); }});
    if (simulatedMac)
        simulatedMac->setUserInterfaceDriver([&](const QString& command, const std::vector<QString>& arguments) {
            UiDriver::Result result = userInterface.run(command, arguments);
            return SimPlatform::UserInterfaceAnswer{result.status, result.output, result.error};
        });
#endif

    QObject::connect(&application, &QCoreApplication::aboutToQuit, [&] {
        delegate->applicationWillTerminate();
        // The events of quitting (the guard's deactivation) and any still on their way reach the cache first.
        analytics.flush(Seconds(1));
        analyticsClient->appWillTerminate();
    });
    runtime.mainAsync([&] { delegate->applicationDidFinishLaunching(); });

    logLine(LogCategory::app(), "Tallowmere: started (pid " + std::to_string(::getpid()) + ")");
    int status = QApplication::exec();
#ifndef __APPLE__
    if (simulatedMac)
        simulatedMac->stop();
#endif
    logLine(LogCategory::app(), "Tallowmere: stopped");
    // Background work may still wait on a child process or a timeout; everything that must outlive the
    // process is on disk by now, so it is not waited for.
    std::fflush(stdout);
    std::_Exit(status);
}
