#include "SleepHandshake.h"

#include "CommandOutput.h"
#include "simulator/AppLink.h"

#include "platform/SystemPower.h"

#include <QFileInfo>
#include <QRandomGenerator>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace macsim {
namespace {

double sleepLimitSeconds() {
    if (const char* text = std::getenv("MACSIM_SLEEP_LIMIT_SECONDS")) {
        char* end = nullptr;
        double limit = std::strtod(text, &end);
        if (end != text && *end == '\0' && std::isfinite(limit) && limit > 0)
            return limit;
    }
    return 30.0;
}

std::int64_t freshMessageArgument() {
    return QRandomGenerator::global()->bounded(1, 0x7FFFFFFF);
}

std::string seconds(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.3f", value);
    return text;
}

void setAwake(Machine& machine, bool awake) {
    machine.update([awake](MachineState& state) {
        state.awake = awake;
        if (awake)
            state.displaysAsleep = false;
        return true;
    });
}

} // namespace

int runSleep(Machine& machine, bool idle) {
    const double limit = sleepLimitSeconds();
    const std::int64_t argument = freshMessageArgument();
    const std::uint32_t message =
        idle ? tallowmere::PowerMessage::canSystemSleep : tallowmere::PowerMessage::systemWillSleep;

    AppLink link(machine.socketPath());
    bool attached = QFileInfo::exists(QString::fromStdString(machine.socketPath())) && link.connect(2000) &&
                    link.send(AppEvent::power(message, argument));
    if (!attached) {
        setAwake(machine, false);
        printLine("sleep allowed after 0.000 s");
        return exitDone;
    }
    auto delivered = std::chrono::steady_clock::now();
    link.send(AppEvent::notification("workspace", "NSWorkspaceWillSleepNotification"));

    auto elapsed = [&] { return std::chrono::duration<double>(std::chrono::steady_clock::now() - delivered).count(); };
    std::string outcome;
    for (;;) {
        double remaining = limit - elapsed();
        if (remaining <= 0) {
            outcome = "sleep went ahead unanswered after " + seconds(limit) + " s";
            break;
        }
        auto reply = link.receive(static_cast<int>(std::ceil(remaining * 1000)));
        if (!reply) {
            if (!link.isConnected()) {
                // The application went away; nothing is left to wait for.
                outcome = "sleep went ahead unanswered after " + seconds(elapsed()) + " s";
                break;
            }
            continue;
        }
        if (static_cast<std::int64_t>(reply->value("argument").toDouble()) != argument)
            continue;
        QString event = reply->value("event").toString();
        if (event == "allowPowerChange") {
            outcome = "sleep allowed after " + seconds(elapsed()) + " s";
            break;
        }
        if (event == "powerNotRegistered") {
            outcome = "sleep allowed after 0.000 s";
            break;
        }
    }
    setAwake(machine, false);
    printLine(outcome);
    return exitDone;
}

int runWake(Machine& machine) {
    setAwake(machine, true);
    AppLink link(machine.socketPath());
    if (QFileInfo::exists(QString::fromStdString(machine.socketPath())) && link.connect(2000)) {
        link.send(AppEvent::power(tallowmere::PowerMessage::systemHasPoweredOn, freshMessageArgument()));
        link.send(AppEvent::notification("workspace", "NSWorkspaceDidWakeNotification"));
    }
    return exitDone;
}

} // namespace macsim
