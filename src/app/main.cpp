#include "platform/Log.h"
#include "platform/QtRuntime.h"
#ifndef __APPLE__
#include "platform/sim/SimPlatform.h"
#endif

#include <QApplication>
#include <QSocketNotifier>

#include <csignal>
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
    QObject::connect(notifier, &QSocketNotifier::activated, &application, [&application] { application.quit(); });
    struct sigaction action {};
    action.sa_handler = onTerminationSignal;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGINT, &action, nullptr);
    ::sigaction(SIGTERM, &action, nullptr);
}

} // namespace

int main(int argc, char** argv) {
    // Without a display (a server, CI) the application still runs, drawing off screen.
    if (!std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY") && !std::getenv("QT_QPA_PLATFORM"))
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);

    QApplication application(argc, argv);
    QApplication::setApplicationName("Tallowmere");
    QApplication::setQuitOnLastWindowClosed(false);
    quitOnTerminationSignals(application);

    tallowmere::QtRuntime runtime;
#ifndef __APPLE__
    // Not a Mac: the platform services are those of the simulated Mac.
    tallowmere::SimPlatform simulatedMac(runtime);
    std::string simulatorError;
    if (simulatedMac.start(&simulatorError))
        tallowmere::logLine("Simulated Mac: attached to " + simulatedMac.machine().folder());
    else
        tallowmere::logLine("Simulated Mac: not attached: " + simulatorError);
#endif
    tallowmere::logLine("Tallowmere: started (pid " + std::to_string(::getpid()) + ")");
    int status = application.exec();
    tallowmere::logLine("Tallowmere: stopped");
    return status;
}
