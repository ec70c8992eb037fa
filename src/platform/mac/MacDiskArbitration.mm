#include "platform/mac/MacDiskArbitration.h"

#include <DiskArbitration/DiskArbitration.h>

namespace tallowmere {

MacDiskArbitration::~MacDiskArbitration() {
    if (!m_session)
        return;
    auto session = static_cast<DASessionRef>(const_cast<void*>(m_session));
    DASessionUnscheduleFromRunLoop(session, CFRunLoopGetMain(), kCFRunLoopCommonModes);
    CFRelease(session);
}

bool MacDiskArbitration::createSession() {
    if (m_session)
        return true;
    // NULL: the default allocator.
    DASessionRef session = DASessionCreate(nullptr);
    if (!session)
        return false;
    // On the main run loop rather than the main dispatch queue: no callback is registered, so nothing is ever
    // delivered either way.
    DASessionScheduleWithRunLoop(session, CFRunLoopGetMain(), kCFRunLoopCommonModes);
    m_session = session;
    return true;
}

} // namespace tallowmere
