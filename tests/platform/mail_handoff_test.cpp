#include <gtest/gtest.h>

#include <string>

#include "platform/mail_handoff.h"

namespace kestrova::platform {
namespace {

TEST(MailtoUrl, BodyIsUtf8PercentEncoded) {
    struct Case {
        std::string body;
        std::string url;
    };
    const Case cases[] = {
        {"", "mailto:"},
        {"ETO 09:05", "mailto:?body=ETO%2009%3A05"},
        {"a\r\nb\r\n", "mailto:?body=a%0D%0Ab%0D%0A"},
        // Characters with a meaning in a URL or to a shell never pass plain.
        {"&=?#%+/\\'\"$`", "mailto:?body=%26%3D%3F%23%25%2B%2F%5C%27%22%24%60"},
        {"A-z.0_9~", "mailto:?body=A-z.0%5F9%7E"},
        // Latin-1 degree sign and e grave become their UTF-8 bytes.
        {"15\xb0 \xe8", "mailto:?body=15%C2%B0%20%C3%A8"},
        {"\xff", "mailto:?body=%C3%BF"},
        {std::string("a\0b", 3), "mailto:?body=a%00b"},
    };
    for (const Case& c : cases) EXPECT_EQ(MailtoUrl(c.body), c.url) << c.body;
}

TEST(MailtoUrl, LimitLeavesRoomForALogOfSomeHundredLines) {
    // A navigation log line of 80 columns, mostly blanks and bars, as in Report.log.
    const std::string line =
        "|CHK-PNT   |VOR        |NDB   |HDG|ALT   |  Wind|Dist/Rem|ETE  |ETO  |            \r\n";
    std::string log;
    for (int i = 0; i < 400; ++i) log += line;
    EXPECT_LE(MailtoUrl(log).size(), kMaxMailtoUrl);
}

}  // namespace
}  // namespace kestrova::platform
