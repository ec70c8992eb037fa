// What arrives on the application's sockets: the byte stream cut into lines, each line checked as a message from
// macsim and as a request from the command line.
// The first byte chooses where the stream is cut into reads, as a connection delivers it.
#include "FuzzSupport.h"

#include "app/RemoteControl.h"
#include "simulator/AppLink.h"

#include "platform/ClampedInteger.h"
#include "platform/LineFramer.h"

#include <algorithm>

using namespace tallowmere;

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    if (size == 0)
        return 0;
    const std::size_t readSize = 1 + data[0] % 64;
    std::string_view stream = fuzz::bytesOf(data + 1, size - 1);
    // A small limit, so that dropping a long line is exercised too.
    LineFramer lines(128);
    std::size_t dropped = 0, delivered = 0;
    auto check = [&](const QByteArray& line) {
        fuzz::require(line.size() <= 128 && !line.contains('\n'), "a line is whole and within the limit");
        ++delivered;
        std::string problem;
        if (auto words = ControlProtocol::decodeRequest(line, &problem)) {
            const ParsedCommand parsed = parseControlCommand(*words);
            fuzz::require(parsed.command.has_value() == parsed.error.empty(), "a command, or why not");
            fuzz::require(ControlProtocol::decodeRequest(ControlProtocol::encodeRequest(*words).chopped(1), nullptr) ==
                              words,
                          "a request survives its encoding");
        }
        problem.clear();
        auto message = macsim::AppEvent::decodeForApplication(line, &problem);
        fuzz::require(message.has_value() == problem.empty(), "a message, or why not");
        if (message && message->value("event").toString() == "power") {
            const double argument = message->value("argument").toDouble();
            fuzz::require(static_cast<double>(clampedInteger<std::int64_t>(argument)) == argument,
                          "a power argument is a whole number in range");
        }
    };
    for (std::size_t at = 0; at < stream.size(); at += readSize)
        lines.feed(QByteArrayView(stream.substr(at, readSize)), check, [&] { ++dropped; });
    fuzz::require(lines.buffered() <= 128, "what is held stays within the limit");
    const auto feeds = static_cast<std::size_t>(std::count(stream.begin(), stream.end(), '\n'));
    fuzz::require(delivered + dropped >= feeds && delivered + dropped <= feeds + 1 && delivered <= feeds,
                  "every line is delivered or dropped");
    return 0;
}
