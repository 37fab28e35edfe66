#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstring>
#include <functional>
#include <future>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// The simulator's side of the link: a 64 KiB offset space (zero at start)
// served on the window socket (POSIX) or by a top-level window answering the
// registered request message (Windows). Reads are filled from the space,
// writes stored into it, request headers left as they came and each message
// answered with 1. Used by the simulator stand-in kestrova-sim and by tests,
// which can also make it misbehave. Only the transport differs by platform;
// the request walk and the offset space are one.
namespace kestrova {

class SimServer {
public:
    static constexpr uint32_t kSpaceSize = 65536;

    explicit SimServer(std::string windowClass = "FS98MAIN");
    ~SimServer();
    SimServer(const SimServer&) = delete;
    SimServer& operator=(const SimServer&) = delete;

    // Creates the window socket (the window on Windows) and serves on a thread
    // of its own. Returns an empty text, or what went wrong (another simulator
    // serving, no runtime directory...).
    std::string Start();

    // Drops every link, removes the socket and stops serving.
    void Stop();

    // The socket path; on Windows the window class.
    const std::string& SocketPath() const { return socketPath_; }

    // The offset space. Bytes beyond its end are ignored on writes and read as 0.
    void Write(uint32_t offset, const void* data, size_t size);
    void Read(uint32_t offset, void* data, size_t size) const;
    template <class T>
    void Set(uint32_t offset, T value) {
        Write(offset, &value, sizeof value);
    }
    template <class T>
    T Get(uint32_t offset) const {
        T value {};
        Read(offset, &value, sizeof value);
        return value;
    }

    // Sets the top byte of a hot key slot, as the simulator does on a key press.
    void PressKey(uint32_t slotOffset);
    // Waits until the client wrote the slot's key word again (top byte 0).
    bool AwaitKeyRearmed(uint32_t slotOffset, std::chrono::milliseconds timeout);
    // Waits until one more link has written both hot key words.
    bool AwaitConnect(std::chrono::milliseconds timeout);
    // Waits until a link has been seen and none is open any more.
    bool AwaitLinksClosed(std::chrono::milliseconds timeout);

    // Misbehaviour: the answer to give instead of 1, a delay before each
    // answer, a code to put in place of the first request's code after
    // serving it (0: none), requests taken in and never answered (the link
    // stays open), and every request header's size and slot garbled after
    // serving.
    void SetReplyValue(uint32_t value);
    void SetReplyDelay(std::chrono::milliseconds delay);
    void SetCorruptCode(uint32_t code);
    void SetSilent(bool silent);
    void SetScribble(bool scribble);

    // What came in: messages served, the last block up to its end code, the
    // block names of the links in order, the links open now.
    uint64_t RequestCount() const;
    std::vector<uint8_t> LastBlock() const;
    std::vector<std::string> BlockNames() const;
    size_t OpenLinks() const;

    // Called on the server thread with each text written at the message offset.
    void OnMessage(std::function<void(const std::string&)> handler);

private:
    // What the request walk keeps of one link: whether it armed both hot keys.
    struct LinkKeys {
        bool wroteWaypointKey = false;
        bool wroteEndKey = false;
        bool armed = false;
    };
    // Walks one request block (sim_server.cpp); the answer to give.
    uint32_t Process(uint8_t* block, size_t size, LinkKeys& keys);
    // Bookkeeping for the transports: a new link, a link gone, the name of a
    // block a link uses.
    void LinkOpened();
    void LinkClosed();
    void NoteBlockName(const std::string& name);
    std::chrono::milliseconds ReplyDelay() const;
    bool Silent() const;

    std::string windowClass_;
    std::string socketPath_;
    std::thread thread_;
#ifdef _WIN32
    struct Link;
    friend struct SimServerWindow;  // the window procedure
    void Serve(std::promise<std::string>& started);
    uint32_t HandleRequest(uint16_t atom);
    void CheckLinks();
    void* window_ = nullptr;     // HWND, owned by the server thread
    void* stopEvent_ = nullptr;  // HANDLE, ends a stalled answer when stopping
    uint32_t requestMessage_ = 0;
    std::vector<Link*> links_;   // server thread only
#else
    struct Client;
    void Serve();
    bool HandleFrame(Client& client);
    bool WaitWake(std::chrono::milliseconds delay, int clientFd);

    int listenFd_ = -1;
    uint32_t instance_ = 0;
    int wakePipe_[2] = {-1, -1};
    std::vector<Client*> clients_;
#endif

    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<uint8_t> space_;
    uint32_t replyValue_ = 1;
    std::chrono::milliseconds replyDelay_ {0};
    uint32_t corruptCode_ = 0;
    bool silent_ = false;
    bool scribble_ = false;
    uint64_t requests_ = 0;
    std::vector<uint8_t> lastBlock_;
    std::vector<std::string> blockNames_;
    size_t openLinks_ = 0;
    size_t linksSeen_ = 0;
    size_t armedLinks_ = 0;
    size_t connectsAwaited_ = 0;
    std::function<void(const std::string&)> onMessage_;
};

}  // namespace kestrova
