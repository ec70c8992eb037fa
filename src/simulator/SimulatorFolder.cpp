#include "simulator/SimulatorFolder.h"

#include <QDir>

#include <cstdlib>

namespace macsim {
namespace {

// Like the shell's ${VAR:-…}: an empty variable counts as unset.
std::string environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? std::string(value) : std::string();
}

} // namespace

std::string simulatorFolder() {
    if (std::string folder = environment("TALLOWMERE_SIM_DIR"); !folder.empty())
        return QDir::cleanPath(QString::fromStdString(folder)).toStdString();
    std::string state = environment("XDG_STATE_HOME");
    if (state.empty())
        state = (environment("HOME").empty() ? QDir::homePath().toStdString() : environment("HOME")) + "/.local/state";
    return QDir::cleanPath(QString::fromStdString(state + "/tallowmere/sim")).toStdString();
}

} // namespace macsim
