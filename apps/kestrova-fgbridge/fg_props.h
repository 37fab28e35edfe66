#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "fg_offsets.h"

// FlightGear's HTTP property server answers a read of a subtree with JSON
// nodes ({"name", "index", "value", "children"}). These read such an answer
// into flat paths and then into the values of one poll.
namespace kestrova::fg {

// Relative paths below the node read, FlightGear style ("sim/tank[1]/level-gal_us",
// index 0 left out), each with its value as text (numbers in JSON's form,
// booleans as "true"/"false").
using PropertyMap = std::map<std::string, std::string>;

// Parses a JSON property node. nullopt with error set when the text is not
// JSON or not a property node.
std::optional<PropertyMap> ParsePropertyTree(std::string_view json, std::string& error);

// The values under the add-on's "sim" node. Missing or unreadable numbers are 0.
FgState StateFromProperties(const PropertyMap& props);

// How often the pilot pressed each key since FlightGear started.
struct KeyCounts {
    long waypoint = 0;
    long end = 0;
};
KeyCounts KeyCountsFromProperties(const PropertyMap& props);

// The body of a write of the message node: seconds first, then the text,
// which the add-on listens to. text is 8-bit (Latin-1) and goes as UTF-8.
std::string MessageRequestBody(const std::string& text, int seconds);

// Text of a number read from the map (0 when missing or not a number).
double NumberOf(const PropertyMap& props, const std::string& path);

}  // namespace kestrova::fg
