#include "platform/mail_handoff.h"

namespace kestrova::platform {

std::string MailtoUrl(std::string_view latin1Body) {
    if (latin1Body.empty()) return "mailto:";
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string url = "mailto:?body=";
    url.reserve(url.size() + latin1Body.size() * 3);
    const auto escape = [&url](unsigned char byte) {
        url += '%';
        url += kHex[byte >> 4];
        url += kHex[byte & 0x0F];
    };
    for (const char c : latin1Body) {
        const auto byte = static_cast<unsigned char>(c);
        const bool plain = (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') ||
                           (byte >= '0' && byte <= '9') || byte == '.' || byte == '-';
        if (plain) {
            url += c;
        } else if (byte < 0x80) {
            escape(byte);
        } else {
            // Latin-1 to UTF-8: two bytes for every code point above 127.
            escape(static_cast<unsigned char>(0xC0 | (byte >> 6)));
            escape(static_cast<unsigned char>(0x80 | (byte & 0x3F)));
        }
    }
    return url;
}

}  // namespace kestrova::platform
