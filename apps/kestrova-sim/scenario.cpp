#include "scenario.h"

#include <charconv>
#include <cstdint>
#include <cstring>
#include <iostream>
#include <limits>
#include <type_traits>
#include <sstream>
#include <thread>

#include "simlink/recorder.h"
#include "simlink/sim_values.h"

namespace kestrova::sim {

namespace {

std::string Trim(const std::string& s) {
    const auto first = s.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) return {};
    const auto last = s.find_last_not_of(" \t\r\n");
    return s.substr(first, last - first + 1);
}

// Splits off the first blank-separated word of text.
std::string NextWord(std::string& text) {
    text = Trim(text);
    const auto end = text.find_first_of(" \t");
    std::string word = text.substr(0, end);
    text = end == std::string::npos ? std::string() : text.substr(end + 1);
    return word;
}

bool ParseUnsigned(const std::string& text, uint64_t& value) {
    const char* first = text.data();
    const char* last = text.data() + text.size();
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        first += 2;
        base = 16;
    }
    const auto res = std::from_chars(first, last, value, base);
    return first != last && res.ec == std::errc() && res.ptr == last;
}

bool ParseSigned(const std::string& text, int64_t& value) {
    if (!text.empty() && text[0] == '-') {
        uint64_t magnitude = 0;
        if (!ParseUnsigned(text.substr(1), magnitude) || magnitude > (1ull << 63)) return false;
        value = static_cast<int64_t>(0 - magnitude);
        return true;
    }
    uint64_t u = 0;
    if (!ParseUnsigned(text, u)) return false;
    value = static_cast<int64_t>(u);
    return true;
}

bool SlotOf(const std::string& word, uint32_t& slot) {
    if (word == "waypoint") slot = kFsInfo.waypointKeyOffset;
    else if (word == "end") slot = kFsInfo.endKeyOffset;
    else return false;
    return true;
}

template <class T>
bool SetInteger(SimServer& server, uint32_t offset, const std::string& text, bool isSigned) {
    int64_t value = 0;
    if (isSigned) {
        if (!ParseSigned(text, value)) return false;
    } else {
        uint64_t u = 0;
        if (!ParseUnsigned(text, u)) return false;
        value = static_cast<int64_t>(u);
    }
    // Values outside the type are refused rather than cut.
    if (isSigned ? (value < static_cast<int64_t>(std::numeric_limits<std::make_signed_t<T>>::min()) ||
                    value > static_cast<int64_t>(std::numeric_limits<std::make_signed_t<T>>::max()))
                 : (sizeof(T) < 8 && static_cast<uint64_t>(value) > std::numeric_limits<T>::max()))
        return false;
    server.Set<T>(offset, static_cast<T>(value));
    return true;
}

}  // namespace

bool WaitsByDesign(const std::string& line) {
    std::string rest = line;
    const std::string command = NextWord(rest);
    return command == "await" || command == "sleep" || command == "vanish";
}

bool Scenario::Execute(const std::string& line, std::string& error) {
    std::string rest = line;
    const std::string command = NextWord(rest);
    if (command.empty() || command[0] == '#') return true;

    if (command == "set") {
        const std::string offsetText = NextWord(rest);
        const std::string type = NextWord(rest);
        uint64_t offset = 0;
        if (offsetText.size() < 3 || offsetText.compare(0, 2, "0x") != 0 || !ParseUnsigned(offsetText, offset) ||
            offset >= SimServer::kSpaceSize) {
            error = "bad offset '" + offsetText + "' (hex, 0x0000 to 0xFFFF)";
            return false;
        }
        const auto at = static_cast<uint32_t>(offset);
        if (type == "str") {
            // The rest of the line as it stands, one blank after the type dropped.
            const std::string text = rest;
            server_.Write(at, text.c_str(), text.size() + 1);
            return true;
        }
        const std::string value = Trim(rest);
        bool ok = false;
        if (type == "u8") ok = SetInteger<uint8_t>(server_, at, value, false);
        else if (type == "u16") ok = SetInteger<uint16_t>(server_, at, value, false);
        else if (type == "u32") ok = SetInteger<uint32_t>(server_, at, value, false);
        else if (type == "u64") ok = SetInteger<uint64_t>(server_, at, value, false);
        else if (type == "s8") ok = SetInteger<uint8_t>(server_, at, value, true);
        else if (type == "s16") ok = SetInteger<uint16_t>(server_, at, value, true);
        else if (type == "s32") ok = SetInteger<uint32_t>(server_, at, value, true);
        else if (type == "s64") ok = SetInteger<uint64_t>(server_, at, value, true);
        else if (type == "f64") {
            double d = 0;
            const auto res = std::from_chars(value.data(), value.data() + value.size(), d);
            ok = !value.empty() && res.ec == std::errc() && res.ptr == value.data() + value.size();
            if (ok) server_.Set<double>(at, d);
        } else {
            error = "unknown type '" + type + "' (u8 u16 u32 u64 s8 s16 s32 s64 f64 str)";
            return false;
        }
        if (!ok) error = "bad " + type + " value '" + value + "'";
        return ok;
    }
    if (command == "press" || command == "await") {
        const std::string what = NextWord(rest);
        if (command == "await" && what == "connect") {
            while (!server_.AwaitConnect(std::chrono::hours(1))) {
            }
            return true;
        }
        uint32_t slot = 0;
        if (!SlotOf(what, slot)) {
            error = "expected waypoint or end" + std::string(command == "await" ? " or connect" : "") + ", not '" +
                    what + "'";
            return false;
        }
        if (command == "press") {
            server_.PressKey(slot);
            return true;
        }
        if (!server_.AwaitKeyRearmed(slot, awaitLimit)) {
            error = "the " + what + " key was not handled within " + std::to_string(awaitLimit.count() / 1000) + " s";
            return false;
        }
        return true;
    }
    if (command == "sleep") {
        uint64_t ms = 0;
        if (!ParseUnsigned(Trim(rest), ms)) {
            error = "bad time '" + Trim(rest) + "'";
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
        return true;
    }
    if (command == "vanish") {
        // The simulator goes away (links dropped, socket gone) and comes back
        // as a new instance with the same offset space.
        uint64_t ms = 0;
        if (!ParseUnsigned(Trim(rest), ms)) {
            error = "bad time '" + Trim(rest) + "'";
            return false;
        }
        server_.Stop();
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
        if (const std::string failure = server_.Start(); !failure.empty()) {
            error = "cannot come back: " + failure;
            return false;
        }
        return true;
    }
    if (command == "echo") {
        std::cout << Trim(rest) << std::endl;
        return true;
    }
    if (command == "fault") {
        const std::string kind = NextWord(rest);
        uint64_t value = 0;
        if (kind == "off") {
            server_.SetReplyValue(1);
            server_.SetReplyDelay(std::chrono::milliseconds(0));
            server_.SetCorruptCode(0);
            server_.SetSilent(false);
            server_.SetScribble(false);
            return true;
        }
        if (kind == "silent" || kind == "scribble") {
            if (!Trim(rest).empty()) {
                error = "fault " + kind + " takes no value";
                return false;
            }
            if (kind == "silent") server_.SetSilent(true);
            else server_.SetScribble(true);
            return true;
        }
        if (!ParseUnsigned(Trim(rest), value) || value > 0xFFFFFFFFu) {
            error = "bad fault value '" + Trim(rest) + "'";
            return false;
        }
        if (kind == "reply") server_.SetReplyValue(static_cast<uint32_t>(value));
        else if (kind == "stall") server_.SetReplyDelay(std::chrono::milliseconds(value));
        else if (kind == "code") server_.SetCorruptCode(static_cast<uint32_t>(value));
        else {
            error = "unknown fault '" + kind + "' (reply, stall, code, silent, scribble, off)";
            return false;
        }
        return true;
    }
    error = "unknown command '" + command + "'";
    return false;
}

bool Scenario::Run(std::istream& in, std::string& error, int firstNumber) {
    std::string line;
    for (int number = firstNumber; std::getline(in, line); ++number) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::string why;
        if (!Execute(line, why)) {
            error = "line " + std::to_string(number) + ": " + why;
            return false;
        }
    }
    return true;
}

bool Scenario::Run(const std::vector<std::string>& lines, std::string& error, int firstNumber) {
    std::ostringstream joined;
    for (const std::string& line : lines) joined << line << '\n';
    std::istringstream in(joined.str());
    return Run(in, error, firstNumber);
}

size_t LeadingSetLines(const std::vector<std::string>& lines) {
    size_t count = 0;
    for (const std::string& line : lines) {
        std::string rest = line;
        const std::string command = NextWord(rest);
        if (!command.empty() && command[0] != '#' && command != "set") break;
        ++count;
    }
    return count;
}

}  // namespace kestrova::sim
