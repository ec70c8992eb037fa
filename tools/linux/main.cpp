#include "Companion.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char** argv) {
    // Qt D-Bus needs an application object; no event loop runs, every call blocks.
    QCoreApplication application(argc, argv);
    std::vector<std::string> arguments(argv + 1, argv + argc);
    int status = tallowmere::companion::run(arguments);
    std::fflush(stdout);
    return status;
}
