#pragma once

#include "platform/Runtime.h"

#include <deque>
#include <memory>
#include <mutex>

namespace tallowmere {

// Work run one item at a time, in the order it was added, on the runtime's global queue of one quality of
// service: what one caller hands over in order arrives in that order, which separate global work items do not
// promise.
class SerialQueue {
public:
    SerialQueue(Runtime& runtime, QoS qos);
    SerialQueue(const SerialQueue&) = delete;
    SerialQueue& operator=(const SerialQueue&) = delete;

    // Any thread.
    void async(Task task);
    // Blocks until everything added so far has run; false when `timeout` passed first.
    bool waitUntilDone(Seconds timeout);

private:
    struct State {
        std::mutex mutex;
        std::deque<Task> tasks;
        bool isRunning = false;
    };
    static void drain(const std::shared_ptr<State>& state, const std::shared_ptr<Group>& pending);

    Runtime& m_runtime;
    QoS m_qos;
    // Shared with a drain in progress, so that a queue destroyed with work pending leaves it nothing dangling.
    std::shared_ptr<State> m_state = std::make_shared<State>();
    std::shared_ptr<Group> m_pending;
};

} // namespace tallowmere
