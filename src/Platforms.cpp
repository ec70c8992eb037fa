#include "Platforms.h"

#include "platform/Log.h"
#include "platform/sim/SimPlatform.h"
#ifdef __APPLE__
#include "platform/mac/MacPlatform.h"
#endif
#ifdef __linux__
#include "platform/linux/LinuxPlatform.h"
#endif

#include <QFileInfo>

namespace tallowmere {

const std::vector<PlatformChoice>& platformChoices() {
    static const std::vector<PlatformChoice> choices = {
#ifdef __APPLE__
        {"mac", false, MacPlatform::instanceLockPath,
         [](Runtime& runtime) -> std::unique_ptr<PlatformBackend> {
             auto mac = std::make_unique<MacPlatform>(runtime);
             mac->start();
             return mac;
         }},
#endif
        {"sim", true, SimPlatform::instanceLockPath,
         [](Runtime& runtime) -> std::unique_ptr<PlatformBackend> {
             auto simulatedMac = std::make_unique<SimPlatform>(runtime);
             std::string error;
             if (!simulatedMac->start(&error)) {
                 logError(LogCategory::app(), "Simulated Mac: not attached: " + error);
                 return nullptr;
             }
             logLine(LogCategory::app(), "Simulated Mac: attached to " + simulatedMac->machine().folder());
             return simulatedMac;
         },
         // Only a development build has macsim: an installed copy starts on the desktop it is installed on.
         [] { return QFileInfo(QString::fromStdString(SimPlatform::macsimExecutable())).isExecutable(); }},
#ifdef __linux__
        {"linux", true, LinuxPlatform::instanceLockPath,
         [](Runtime& runtime) -> std::unique_ptr<PlatformBackend> {
             auto linuxDesktop = std::make_unique<LinuxPlatform>(runtime);
             std::string error;
             if (!linuxDesktop->start(&error)) {
                 logError(LogCategory::app(), "Linux: not started: " + error);
                 return nullptr;
             }
             return linuxDesktop;
         }},
#endif
    };
    return choices;
}

const PlatformChoice* platformNamed(const std::string& name) {
    if (name.empty()) {
        for (const PlatformChoice& choice : platformChoices())
            if (!choice.isAvailable || choice.isAvailable())
                return &choice;
        return &platformChoices().front();
    }
    for (const PlatformChoice& choice : platformChoices())
        if (name == choice.name)
            return &choice;
    return nullptr;
}

void takePlatformOption(int& argc, char** argv) {
    int kept = 1;
    for (int i = 1; i < argc; ++i) {
        std::string argument = argv[i];
        if (argument == "--platform" && i + 1 < argc)
            ++i;
        else if (!argument.starts_with("--platform="))
            argv[kept++] = argv[i];
    }
    argc = kept;
    argv[argc] = nullptr;
}

std::string platformNames() {
    const PlatformChoice* byDefault = platformNamed({});
    std::string names = byDefault->name;
    for (const PlatformChoice& choice : platformChoices())
        if (&choice != byDefault)
            names += "|" + std::string(choice.name);
    return names;
}

} // namespace tallowmere
