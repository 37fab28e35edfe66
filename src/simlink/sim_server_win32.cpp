#include <windows.h>

#include <algorithm>

#include "simlink/ipc_client.h"
#include "simlink/sim_server.h"

namespace kestrova {

namespace {

// How often the server looks whether the links it has seen still exist.
constexpr UINT kLinkCheckMs = 100;
constexpr UINT_PTR kLinkCheckTimer = 1;

bool ValidBlockName(const std::string& name) {
    const std::string prefix = std::string(kIpcMessageName) + ":";
    return name.size() > prefix.size() && name.compare(0, prefix.size(), prefix) == 0 &&
           name.find('\\') == std::string::npos;
}

}  // namespace

// A link is known by its block name. Windows tells the window nothing when a
// client closes its link, so the server looks for the named mapping: it lives
// as long as the client holds it, and the server holds it only while it
// answers.
struct SimServer::Link : LinkKeys {
    std::string blockName;
};

struct SimServerWindow {
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_NCCREATE) {
            const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
            ::SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
        }
        auto* server = reinterpret_cast<SimServer*>(::GetWindowLongPtrA(window, GWLP_USERDATA));
        if (server != nullptr && server->requestMessage_ != 0 && message == server->requestMessage_)
            return static_cast<LRESULT>(server->HandleRequest(static_cast<uint16_t>(wParam)));
        switch (message) {
            case WM_TIMER:
                if (server != nullptr && wParam == kLinkCheckTimer) server->CheckLinks();
                return 0;
            case WM_CLOSE:
                ::DestroyWindow(window);
                return 0;
            case WM_DESTROY:
                ::PostQuitMessage(0);
                return 0;
            default:
                return ::DefWindowProcA(window, message, wParam, lParam);
        }
    }
};

std::string SimServer::Start() {
    if (thread_.joinable()) return {};
    socketPath_ = windowClass_;
    if (::FindWindowExA(nullptr, nullptr, windowClass_.c_str(), nullptr) != nullptr)
        return "another simulator is already serving window class " + windowClass_;
    requestMessage_ = ::RegisterWindowMessageA(kIpcMessageName);
    if (requestMessage_ == 0) return "cannot register the message " + std::string(kIpcMessageName);
    stopEvent_ = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (stopEvent_ == nullptr) return "cannot create an event";
    std::promise<std::string> started;
    std::future<std::string> result = started.get_future();
    thread_ = std::thread([this, &started] { Serve(started); });
    const std::string error = result.get();
    if (!error.empty()) {
        thread_.join();
        ::CloseHandle(stopEvent_);
        stopEvent_ = nullptr;
    }
    return error;
}

// The window belongs to the thread that made it: that thread runs its
// message loop, and so answers every request.
void SimServer::Serve(std::promise<std::string>& started) {
    HINSTANCE instance = ::GetModuleHandleA(nullptr);
    WNDCLASSEXA windowClass {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = &SimServerWindow::Procedure;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = windowClass_.c_str();
    // A second server of the same process finds the class registered already.
    if (::RegisterClassExA(&windowClass) == 0 && ::GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
        started.set_value("cannot register the window class " + windowClass_);
        return;
    }
    HWND window = ::CreateWindowExA(0, windowClass_.c_str(), "Kestrova simulator stand-in", WS_OVERLAPPEDWINDOW,
                                    CW_USEDEFAULT, CW_USEDEFAULT, 320, 200, nullptr, nullptr, instance, this);
    if (window == nullptr) {
        started.set_value("cannot create the window " + windowClass_);
        return;
    }
    window_ = window;
    ::SetTimer(window, kLinkCheckTimer, kLinkCheckMs, nullptr);
    started.set_value({});

    MSG message;
    while (::GetMessageA(&message, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&message);
        ::DispatchMessageA(&message);
    }
    for (Link* link : links_) delete link;
    links_.clear();
}

void SimServer::Stop() {
    if (!thread_.joinable()) return;
    ::SetEvent(stopEvent_);
    ::PostMessageA(static_cast<HWND>(window_), WM_CLOSE, 0, 0);
    thread_.join();
    window_ = nullptr;
    ::CloseHandle(stopEvent_);
    stopEvent_ = nullptr;
    std::lock_guard lock(mutex_);
    openLinks_ = 0;
    changed_.notify_all();
}

uint32_t SimServer::HandleRequest(uint16_t atom) {
    char buf[256];
    const UINT length = ::GlobalGetAtomNameA(atom, buf, sizeof buf);
    if (length == 0) return 0;
    const std::string name(buf, length);
    if (!ValidBlockName(name)) return 0;
    HANDLE mapping = ::OpenFileMappingA(FILE_MAP_WRITE, FALSE, name.c_str());
    if (mapping == nullptr) return 0;
    void* view = ::MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, 0);
    MEMORY_BASIC_INFORMATION info {};
    if (view == nullptr || ::VirtualQuery(view, &info, sizeof info) == 0) {
        if (view != nullptr) ::UnmapViewOfFile(view);
        ::CloseHandle(mapping);
        return 0;
    }

    auto known = std::find_if(links_.begin(), links_.end(), [&](const Link* l) { return l->blockName == name; });
    Link* link = nullptr;
    if (known == links_.end()) {
        link = new Link;
        link->blockName = name;
        links_.push_back(link);
        LinkOpened();
        NoteBlockName(name);
    } else {
        link = *known;
    }

    uint32_t reply = 0;
    const std::chrono::milliseconds delay = ReplyDelay();
    // A stall ends without an answer when the server stops, or when the next
    // request comes in: its sender gave up on this one, whose block it may
    // be filling again already.
    HANDLE stop = stopEvent_;
    if (Silent()) {
        // Never answered: held until the server stops or the next request
        // shows that its sender gave up.
        ::MsgWaitForMultipleObjectsEx(1, &stop, INFINITE, QS_SENDMESSAGE, 0);
    } else if (delay.count() == 0 ||
        ::MsgWaitForMultipleObjectsEx(1, &stop, static_cast<DWORD>(delay.count()), QS_SENDMESSAGE, 0) ==
            WAIT_TIMEOUT)
        reply = Process(static_cast<uint8_t*>(view), info.RegionSize, *link);
    ::UnmapViewOfFile(view);
    ::CloseHandle(mapping);
    return reply;
}

void SimServer::CheckLinks() {
    for (auto it = links_.begin(); it != links_.end();) {
        HANDLE mapping = ::OpenFileMappingA(FILE_MAP_READ, FALSE, (*it)->blockName.c_str());
        if (mapping != nullptr) {
            ::CloseHandle(mapping);
            ++it;
            continue;
        }
        delete *it;
        it = links_.erase(it);
        LinkClosed();
    }
}

}  // namespace kestrova
