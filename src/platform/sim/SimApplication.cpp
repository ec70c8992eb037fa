#include "platform/sim/SimApplication.h"

#include <QCoreApplication>
#include <QMetaObject>

namespace tallowmere {

SimApplication::SimApplication(macsim::Machine machine)
    : m_machine(std::move(machine)) {}

int SimApplication::screenCount() {
    return m_machine.state().screens;
}

void SimApplication::setAccessoryActivationPolicy() {
    m_machine.update([](macsim::MachineState& state) {
        state.activationPolicy = "accessory";
        return true;
    });
}

void SimApplication::activateIgnoringOtherApps() {
    m_machine.update([](macsim::MachineState& state) {
        ++state.activationRequests;
        return true;
    });
}

void SimApplication::requestUserAttention() {
    m_machine.update([](macsim::MachineState& state) {
        ++state.attentionRequests;
        return true;
    });
}

void SimApplication::terminate() {
    if (m_terminate) {
        m_terminate();
        return;
    }
    if (QCoreApplication* application = QCoreApplication::instance())
        QMetaObject::invokeMethod(application, &QCoreApplication::quit, Qt::QueuedConnection);
}

} // namespace tallowmere
