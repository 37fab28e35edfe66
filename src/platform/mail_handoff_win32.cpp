#include <windows.h>
#include <mapi.h>

#include <string>

#include "platform/mail_handoff.h"

namespace kestrova::platform {

namespace {

// The system announces Simple MAPI with the value "MAPI" = "1"; on systems
// of version 3.51 and older with the entry MAPI of the profile section Mail.
bool SimpleMapiAnnounced() {
    OSVERSIONINFOA version{};
    version.dwOSVersionInfoSize = sizeof(version);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    const bool known = GetVersionExA(&version) != 0;
#pragma GCC diagnostic pop
    if (known && (version.dwMajorVersion < 3 || (version.dwMajorVersion == 3 && version.dwMinorVersion <= 51)))
        return GetProfileIntA("Mail", "MAPI", 0) != 0;
    char value[8] = {};
    DWORD size = sizeof(value);
    if (RegGetValueA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows Messaging Subsystem", "MAPI",
                     RRF_RT_REG_SZ, nullptr, value, &size) != ERROR_SUCCESS)
        return false;
    return std::string(value) == "1";
}

// MAPI32.DLL is loaded on the first send and kept for the rest of the run.
LPMAPISENDMAIL SendMailFunction() {
    static const LPMAPISENDMAIL function = []() -> LPMAPISENDMAIL {
        if (!SimpleMapiAnnounced()) return nullptr;
        HMODULE library = LoadLibraryA("MAPI32.DLL");
        if (library == nullptr) return nullptr;
        return reinterpret_cast<LPMAPISENDMAIL>(reinterpret_cast<void*>(GetProcAddress(library, "MAPISendMail")));
    }();
    return function;
}

class SimpleMapiHandOff : public MailHandOff {
public:
    bool Send(std::string_view body) override {
        const LPMAPISENDMAIL sendMail = SendMailFunction();
        if (sendMail == nullptr) return false;
        std::string text(body);  // zero-terminated, 8-bit as the system's ANSI code page reads it
        MapiMessage message{};
        message.lpszNoteText = text.data();
        // 0 means the mail program accepted it; a cancelled compose window is a failure too.
        return sendMail(0, 0, &message, MAPI_LOGON_UI | MAPI_NEW_SESSION | MAPI_DIALOG, 0) == SUCCESS_SUCCESS;
    }
};

}  // namespace

std::unique_ptr<MailHandOff> SystemMailHandOff() { return std::make_unique<SimpleMapiHandOff>(); }

}  // namespace kestrova::platform
