#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

// Handing a text to the user's mail program. The system never addresses or
// sends mail itself: the mail program opens a new message with the text as
// its body, no recipient and no subject, and the user sends it from there.
namespace kestrova::platform {

class MailHandOff {
public:
    virtual ~MailHandOff() = default;

    // The body is 8-bit (Latin-1) text with CR LF line ends, passed whole.
    // False when no mail program took the message.
    virtual bool Send(std::string_view body) = 0;
};

// The platform's own hand-off. On Linux and other POSIX systems:
// `xdg-email mailto:?body=...`, or `xdg-open mailto:?body=...` where
// xdg-email is missing; it returns once the mail program has the message.
// On Windows: Simple MAPI (MAPISendMail), which returns when the compose
// window closes.
std::unique_ptr<MailHandOff> SystemMailHandOff();

// "mailto:?body=" followed by the body as UTF-8, percent-encoded (RFC 6068);
// "mailto:" for an empty body. Only letters, digits, "." and "-" stay as
// they are, so no shell or URL parser on the way can change the text.
std::string MailtoUrl(std::string_view latin1Body);

// The longest mailto: URL that can reach a mail program on Linux: one
// command-line argument is at most 128 KiB including its terminating zero.
inline constexpr std::size_t kMaxMailtoUrl = 128 * 1024 - 1;

}  // namespace kestrova::platform
