#include "platform/sim/SimAnalyticsTransport.h"

namespace tallowmere {

HttpResponse SimAnalyticsTransport::send(const HttpRequest& request) {
    HttpResponse response;
    if (request.method != "POST") {
        response.statusCode = 405;
        return response;
    }
    response.statusCode = m_machine.receiveAnalytics(request.body);
    return response;
}

} // namespace tallowmere
