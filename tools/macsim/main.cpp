#include "CommandOutput.h"
#include "ControlCommands.h"
#include "Machine.h"
#include "SimulatorFolder.h"
#include "StandInTools.h"

#include <QCoreApplication>
#include <QFileInfo>

#include <string>
#include <vector>

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    std::vector<std::string> arguments(argv + 1, argv + argc);
    // Run as a link named diskutil, tmutil or pmset, or as `macsim diskutil …`.
    std::string tool = QFileInfo(QString::fromLocal8Bit(argv[0])).fileName().toStdString();
    if (tool != "diskutil" && tool != "tmutil" && tool != "pmset") {
        tool.clear();
        if (!arguments.empty() && (arguments[0] == "diskutil" || arguments[0] == "tmutil" || arguments[0] == "pmset")) {
            tool = arguments[0];
            arguments.erase(arguments.begin());
        }
    }
    if (tool.empty() && (arguments.empty() || arguments[0] == "help" || arguments[0] == "--help")) {
        macsim::printHelp();
        return arguments.empty() ? macsim::exitUsage : macsim::exitDone;
    }

    macsim::Machine machine(macsim::simulatorFolder(), QCoreApplication::applicationFilePath().toStdString());
    std::string error;
    if (!machine.prepare(&error))
        return macsim::failure(error);

    if (tool == "diskutil")
        return macsim::runDiskutil(machine, arguments);
    if (tool == "tmutil")
        return macsim::runTmutil(machine, arguments);
    if (tool == "pmset")
        return macsim::runPmset(machine, arguments);
    return macsim::runControlCommand(machine, arguments);
}
