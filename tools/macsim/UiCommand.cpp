#include "UiCommand.h"

#include "CommandOutput.h"
#include "simulator/AppLink.h"

#include <QFileInfo>

#include <map>

namespace macsim {
namespace {

struct Shape {
    size_t least;
    size_t most;
    const char* usage;
};

// How many arguments each command takes, the optional window title included.
const std::map<std::string, Shape> shapes = {
    {"menu", {0, 0, "ui menu"}},
    {"click", {1, 1, "ui click \"TITLE\" | \"SUBMENU/TITLE\""}},
    {"windows", {0, 0, "ui windows"}},
    {"dump", {0, 1, "ui dump [\"WINDOW TITLE\"]"}},
    {"press", {1, 2, "ui press \"BUTTON\" [\"WINDOW TITLE\"]"}},
    {"toggle", {2, 3, "ui toggle \"LABEL\" on|off [\"WINDOW TITLE\"]"}},
    {"select", {1, 2, "ui select \"ROW\" [\"WINDOW TITLE\"]"}},
    {"set", {2, 3, "ui set \"LABEL\" VALUE [\"WINDOW TITLE\"]"}},
    {"key", {1, 2, "ui key Tab|Shift+Tab|Space|Return|Escape|Up|Down [\"WINDOW TITLE\"]"}},
    {"close", {0, 1, "ui close [\"WINDOW TITLE\"]"}},
    {"screenshot", {1, 3, "ui screenshot FILE.png [\"WINDOW TITLE\" | --menu [\"SUBMENU\"]]"}},
};

} // namespace

int runUi(Machine& machine, const std::vector<std::string>& arguments) {
    if (arguments.empty())
        return usageError("ui needs menu, click, windows, dump, press, toggle, select, set, key, close or screenshot");
    auto shape = shapes.find(arguments[0]);
    if (shape == shapes.end())
        return usageError("unknown ui command \"" + arguments[0] + "\"");
    std::vector<std::string> rest(arguments.begin() + 1, arguments.end());
    if (rest.size() < shape->second.least || rest.size() > shape->second.most ||
        (arguments[0] == "toggle" && rest[1] != "on" && rest[1] != "off") ||
        (arguments[0] == "screenshot" && rest.size() == 3 && rest[1] != "--menu"))
        return usageError(std::string("usage: macsim ") + shape->second.usage);
    // The application may run in another folder: it writes the picture where this command was asked for it.
    if (arguments[0] == "screenshot")
        rest[0] = QFileInfo(QString::fromStdString(rest[0])).absoluteFilePath().toStdString();

    AppLink link(machine.socketPath());
    if (!machine.attachedApp() || !link.connect(2000) || !link.send(AppEvent::ui(arguments[0], rest))) {
        printError("no application is running on this machine");
        return exitNoApplication;
    }
    while (auto reply = link.receive(60000)) {
        if (reply->value("event").toString() != "uiResult")
            continue;
        printOut(reply->value("output").toString().toStdString());
        const std::string error = reply->value("error").toString().toStdString();
        if (!error.empty())
            printError(error);
        return reply->value("status").toInt(exitFailed);
    }
    return failure("the application did not answer");
}

} // namespace macsim
