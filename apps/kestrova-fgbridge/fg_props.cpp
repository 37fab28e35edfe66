#include "fg_props.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace kestrova::fg {

namespace {

// A small reader of JSON, enough for property nodes: objects become property
// nodes, everything else is read and kept as text.
class JsonReader {
public:
    explicit JsonReader(std::string_view text) : text_(text) {}

    bool ReadNode(const std::string& prefix, PropertyMap& out, int depth) {
        if (depth > 64) return Fail("nesting too deep");
        SkipBlanks();
        if (!Eat('{')) return Fail("a property node must be an object");
        std::string name;
        long index = 0;
        std::optional<std::string> value;
        std::vector<std::string_view> childTexts;
        SkipBlanks();
        if (Eat('}')) return true;
        for (;;) {
            std::string key;
            SkipBlanks();
            if (!ReadString(key)) return false;
            SkipBlanks();
            if (!Eat(':')) return Fail("':' expected");
            SkipBlanks();
            if (key == "children") {
                if (!Eat('[')) return Fail("children must be an array");
                SkipBlanks();
                if (!Eat(']')) {
                    for (;;) {
                        SkipBlanks();
                        const size_t start = pos_;
                        if (!SkipValue(depth + 1)) return false;
                        childTexts.push_back(text_.substr(start, pos_ - start));
                        SkipBlanks();
                        if (Eat(']')) break;
                        if (!Eat(',')) return Fail("',' or ']' expected");
                    }
                }
            } else {
                std::string scalar;
                bool isString = false;
                if (!ReadScalar(scalar, isString, depth + 1)) return false;
                if (key == "name") name = scalar;
                else if (key == "index") index = std::lround(std::strtod(scalar.c_str(), nullptr));
                else if (key == "value") value = scalar;
            }
            SkipBlanks();
            if (Eat('}')) break;
            if (!Eat(',')) return Fail("',' or '}' expected");
        }
        // The top node's own name is the path read; children are relative to it.
        std::string path = prefix;
        if (depth > 0) {
            if (!path.empty()) path += '/';
            path += name;
            if (index > 0) path += '[' + std::to_string(index) + ']';
            if (value) out[path] = *value;
        }
        for (std::string_view child : childTexts) {
            JsonReader sub(child);
            if (!sub.ReadNode(path, out, depth + 1)) return Fail(sub.error_);
        }
        return true;
    }

    bool AtEnd() {
        SkipBlanks();
        return pos_ == text_.size();
    }
    const std::string& Error() const { return error_; }

private:
    bool Fail(const std::string& what) {
        if (error_.empty()) error_ = what + " at byte " + std::to_string(pos_);
        return false;
    }
    void SkipBlanks() {
        while (pos_ < text_.size() && (text_[pos_] == ' ' || text_[pos_] == '\t' || text_[pos_] == '\n' ||
                                       text_[pos_] == '\r'))
            ++pos_;
    }
    bool Eat(char c) {
        if (pos_ < text_.size() && text_[pos_] == c) {
            ++pos_;
            return true;
        }
        return false;
    }
    static void AppendUtf8(std::string& out, uint32_t code) {
        if (code < 0x80) {
            out += static_cast<char>(code);
        } else if (code < 0x800) {
            out += static_cast<char>(0xC0 | code >> 6);
            out += static_cast<char>(0x80 | (code & 0x3F));
        } else if (code < 0x10000) {
            out += static_cast<char>(0xE0 | code >> 12);
            out += static_cast<char>(0x80 | (code >> 6 & 0x3F));
            out += static_cast<char>(0x80 | (code & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | code >> 18);
            out += static_cast<char>(0x80 | (code >> 12 & 0x3F));
            out += static_cast<char>(0x80 | (code >> 6 & 0x3F));
            out += static_cast<char>(0x80 | (code & 0x3F));
        }
    }
    bool ReadHex4(uint32_t& code) {
        if (pos_ + 4 > text_.size()) return Fail("short \\u escape");
        const auto r = std::from_chars(text_.data() + pos_, text_.data() + pos_ + 4, code, 16);
        if (r.ptr != text_.data() + pos_ + 4) return Fail("bad \\u escape");
        pos_ += 4;
        return true;
    }
    bool ReadString(std::string& out) {
        if (!Eat('"')) return Fail("'\"' expected");
        while (pos_ < text_.size()) {
            const char c = text_[pos_++];
            if (c == '"') return true;
            if (c != '\\') {
                out += c;
                continue;
            }
            if (pos_ >= text_.size()) break;
            const char e = text_[pos_++];
            switch (e) {
                case '"': out += '"'; break;
                case '\\': out += '\\'; break;
                case '/': out += '/'; break;
                case 'b': out += '\b'; break;
                case 'f': out += '\f'; break;
                case 'n': out += '\n'; break;
                case 'r': out += '\r'; break;
                case 't': out += '\t'; break;
                case 'u': {
                    uint32_t code = 0;
                    if (!ReadHex4(code)) return false;
                    if (code >= 0xD800 && code < 0xDC00 && text_.substr(pos_, 2) == "\\u") {
                        pos_ += 2;
                        uint32_t low = 0;
                        if (!ReadHex4(low)) return false;
                        code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
                    }
                    AppendUtf8(out, code);
                    break;
                }
                default: return Fail("bad escape");
            }
        }
        return Fail("unterminated string");
    }
    bool ReadScalar(std::string& out, bool& isString, int depth) {
        if (pos_ < text_.size() && text_[pos_] == '"') {
            isString = true;
            return ReadString(out);
        }
        const size_t start = pos_;
        if (!SkipValue(depth)) return false;
        out.assign(text_.substr(start, pos_ - start));
        return true;
    }
    bool SkipValue(int depth) {
        if (depth > 64) return Fail("nesting too deep");
        SkipBlanks();
        if (pos_ >= text_.size()) return Fail("value expected");
        const char c = text_[pos_];
        if (c == '"') {
            std::string ignored;
            return ReadString(ignored);
        }
        if (c == '{' || c == '[') {
            const char close = c == '{' ? '}' : ']';
            ++pos_;
            SkipBlanks();
            if (Eat(close)) return true;
            for (;;) {
                SkipBlanks();
                if (c == '{') {
                    std::string key;
                    if (!ReadString(key)) return false;
                    SkipBlanks();
                    if (!Eat(':')) return Fail("':' expected");
                }
                if (!SkipValue(depth + 1)) return false;
                SkipBlanks();
                if (Eat(close)) return true;
                if (!Eat(',')) return Fail("',' expected");
            }
        }
        const size_t start = pos_;
        while (pos_ < text_.size() && (std::isalnum(static_cast<unsigned char>(text_[pos_])) || text_[pos_] == '-' ||
                                       text_[pos_] == '+' || text_[pos_] == '.'))
            ++pos_;
        const std::string_view word = text_.substr(start, pos_ - start);
        if (word == "true" || word == "false" || word == "null") return true;
        double number = 0;
        const auto r = std::from_chars(word.data(), word.data() + word.size(), number);
        if (word.empty() || r.ec != std::errc() || r.ptr != word.data() + word.size()) return Fail("value expected");
        return true;
    }

    std::string_view text_;
    size_t pos_ = 0;
    std::string error_;
};

std::string TextOf(const PropertyMap& props, const std::string& path) {
    const auto it = props.find(path);
    return it == props.end() ? std::string() : it->second;
}

std::string Indexed(const std::string& name, int index) {
    return index == 0 ? name : name + '[' + std::to_string(index) + ']';
}

}  // namespace

std::optional<PropertyMap> ParsePropertyTree(std::string_view json, std::string& error) {
    PropertyMap map;
    JsonReader reader(json);
    if (!reader.ReadNode("", map, 0) || !reader.AtEnd()) {
        error = reader.Error().empty() ? "text after the property node" : reader.Error();
        return std::nullopt;
    }
    return map;
}

double NumberOf(const PropertyMap& props, const std::string& path) {
    const std::string text = TextOf(props, path);
    if (text == "true") return 1;
    double value = 0;
    const char* begin = text.data();
    if (!text.empty() && text[0] == '+') ++begin;
    const auto r = std::from_chars(begin, text.data() + text.size(), value);
    return r.ec == std::errc() && std::isfinite(value) ? value : 0;
}

FgState StateFromProperties(const PropertyMap& p) {
    FgState s;
    const auto num = [&p](const char* name) { return NumberOf(p, std::string("sim/") + name); };
    // Clock fields are small whole numbers; anything else must not overflow the cast.
    const auto clock = [&num](const char* name) { return static_cast<int>(std::clamp(num(name), 0.0, 60.0)); };
    s.utcHour = clock("utc-hour");
    s.utcMinute = clock("utc-minute");
    s.utcSecond = clock("utc-second");
    s.localOffsetSeconds = num("local-offset-s");
    s.latitudeDeg = num("latitude-deg");
    s.longitudeDeg = num("longitude-deg");
    s.altitudeFt = num("altitude-ft");
    s.trueAirspeedKt = num("true-airspeed-kt");
    s.headingDeg = num("heading-deg");
    s.magneticVariationDeg = num("magnetic-variation-deg");
    s.visibilityM = num("visibility-m");
    s.qnhInHg = num("qnh-inhg");
    s.windFromDeg = num("wind-from-heading-deg");
    s.windSpeedKt = num("wind-speed-kt");
    s.temperatureDegC = num("temperature-degc");
    for (int i = 0;; ++i) {
        const std::string tank = "sim/" + Indexed("tank", i) + "/";
        if (p.find(tank + "capacity-gal_us") == p.end()) break;
        s.tanks.push_back({NumberOf(p, tank + "level-gal_us"), NumberOf(p, tank + "capacity-gal_us")});
    }
    for (int i = 0;; ++i) {
        const auto it = p.find("sim/" + Indexed("cloud", i) + "/coverage");
        if (it == p.end()) break;
        s.cloudCoverages.push_back(it->second);
    }
    s.title = TextOf(p, "sim/title");
    s.version = TextOf(p, "sim/version");
    return s;
}

KeyCounts KeyCountsFromProperties(const PropertyMap& p) {
    return {std::lround(NumberOf(p, "keys/waypoint")), std::lround(NumberOf(p, "keys/end"))};
}

std::string MessageRequestBody(const std::string& text, int seconds) {
    std::string escaped;
    for (const char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if (c == '"' || c == '\\') {
            escaped += '\\';
            escaped += ch;
        } else if (c < 0x20) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\u%04x", c);
            escaped += buf;
        } else if (c >= 0x80) {
            escaped += static_cast<char>(0xC0 | c >> 6);
            escaped += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            escaped += ch;
        }
    }
    return "{\"children\":[{\"name\":\"seconds\",\"value\":" + std::to_string(seconds) +
           "},{\"name\":\"text\",\"value\":\"" + escaped + "\"}]}";
}

}  // namespace kestrova::fg
