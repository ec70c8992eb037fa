#include "platform/SerialQueue.h"

namespace tallowmere {

SerialQueue::SerialQueue(Runtime& runtime, QoS qos)
    : m_runtime(runtime)
    , m_qos(qos)
    , m_pending(runtime.makeGroup()) {}

void SerialQueue::async(Task task) {
    m_pending->enter();
    {
        std::lock_guard lock(m_state->mutex);
        m_state->tasks.push_back(std::move(task));
        if (m_state->isRunning)
            return;
        m_state->isRunning = true;
    }
    m_runtime.globalAsync(m_qos, [state = m_state, pending = m_pending] { drain(state, pending); });
}

void SerialQueue::drain(const std::shared_ptr<State>& state, const std::shared_ptr<Group>& pending) {
    while (true) {
        Task task;
        {
            std::lock_guard lock(state->mutex);
            if (state->tasks.empty()) {
                state->isRunning = false;
                return;
            }
            task = std::move(state->tasks.front());
            state->tasks.pop_front();
        }
        task();
        pending->leave();
    }
}

bool SerialQueue::waitUntilDone(Seconds timeout) {
    return m_pending->wait(timeout);
}

} // namespace tallowmere
