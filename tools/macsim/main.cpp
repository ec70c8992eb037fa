#include "CommandOutput.h"
#include "ControlCommands.h"
#include "StandInTools.h"
#include "simulator/Machine.h"
#include "simulator/SimulatorFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <string>
#include <vector>

namespace {

// A stand-in tool run through the link <machine>/bin/TOOL works on that machine, whatever the environment
// says: the application may have been pointed at its machine some other way than $TALLOWMERE_SIM_DIR.
std::string machineFolder(const char* invokedAs, bool asTool) {
    if (asTool) {
        QDir bin = QFileInfo(QString::fromLocal8Bit(invokedAs)).absoluteDir();
        QString folder = QFileInfo(bin.absolutePath()).absolutePath();
        if (bin.dirName() == "bin" && QFileInfo::exists(folder + "/machine.json"))
            return folder.toStdString();
    }
    return macsim::simulatorFolder();
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    std::vector<std::string> arguments(argv + 1, argv + argc);
    // Run as a link named diskutil, tmutil or pmset, or as `macsim diskutil …`.
    std::string tool = QFileInfo(QString::fromLocal8Bit(argv[0])).fileName().toStdString();
    const bool invokedAsTool = tool == "diskutil" || tool == "tmutil" || tool == "pmset";
    if (!invokedAsTool) {
        tool.clear();
        if (!arguments.empty() && (arguments[0] == "diskutil" || arguments[0] == "tmutil" || arguments[0] == "pmset")) {
            tool = arguments[0];
            arguments.erase(arguments.begin());
        }
    }
    if (tool.empty() && arguments.empty())
        return macsim::usageError("no command given");
    if (tool.empty() && (arguments[0] == "help" || arguments[0] == "--help")) {
        macsim::printHelp();
        return macsim::exitDone;
    }

    macsim::Machine machine(machineFolder(argv[0], invokedAsTool),
                            QCoreApplication::applicationFilePath().toStdString());
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
