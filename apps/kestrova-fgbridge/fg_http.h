#pragma once

#include <chrono>
#include <string>

// One HTTP/1.1 exchange with FlightGear's property server, a connection per
// exchange (the server is on the same machine, so a connection costs nothing
// next to the simulator frame each request waits for).
namespace kestrova::fg {

struct HttpReply {
    int status = 0;      // 0 when no answer came
    std::string body;
    std::string error;   // why no answer came
};

HttpReply HttpExchange(const std::string& host, int port, const std::string& method, const std::string& path,
                       const std::string& body, std::chrono::milliseconds timeout);

// Decodes a chunked message body; false when it is cut short or malformed.
bool DecodeChunked(const std::string& chunked, std::string& body);

}  // namespace kestrova::fg
