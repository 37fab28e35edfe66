#include "simlink/flight_record_file.h"

#include "platform/platform.h"

namespace kestrova {

std::string FlightRecordPath(const std::string& workingDirectory) {
    return platform::FindFileNoCase(workingDirectory, kFlightRecordName);
}

FlightRecordWriter::~FlightRecordWriter() { Close(); }

}  // namespace kestrova
