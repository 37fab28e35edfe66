#include "simlink/wire_words.h"
#include "simlink/sim_server.h"

#include <algorithm>

#include "simlink/ipc_client.h"
#include "simlink/recorder.h"

namespace kestrova {

namespace {

using wire::GetWord;
using wire::PutWord;

}  // namespace

SimServer::SimServer(std::string windowClass) : windowClass_(std::move(windowClass)), space_(kSpaceSize, 0) {}

SimServer::~SimServer() { Stop(); }

uint32_t SimServer::Process(uint8_t* const block, const size_t size, LinkKeys& keys) {
    std::vector<std::string> texts;
    std::function<void(const std::string&)> onMessage;
    uint32_t reply = 0;
    {
        std::lock_guard lock(mutex_);
        ++requests_;
        size_t pos = 0;
        bool good = false;
        std::vector<size_t> headers;
        while (pos + 4 <= size) {
            const uint32_t code = GetWord(block + pos);
            if (code == kIpcEndOfList) {
                pos += 4;
                good = true;
                break;
            }
            const size_t header = code == kIpcReadCode ? 16 : code == kIpcWriteCode ? 12 : 0;
            if (header == 0 || pos + header > size) break;
            const uint32_t offset = GetWord(block + pos + 4);
            const uint32_t length = GetWord(block + pos + 8);
            if (pos + header + length > size || static_cast<uint64_t>(offset) + length > kSpaceSize) break;
            uint8_t* data = block + pos + header;
            headers.push_back(pos);
            if (code == kIpcReadCode) {
                std::memcpy(data, space_.data() + offset, length);
            } else {
                std::memcpy(space_.data() + offset, data, length);
                if (offset == kMessageTextOffset && length > 0) {
                    const void* zero = std::memchr(data, 0, length);
                    texts.emplace_back(reinterpret_cast<const char*>(data),
                                       zero != nullptr ? static_cast<const uint8_t*>(zero) - data : length);
                }
                if (offset == 0x3210 && length == 4 && GetWord(data) == kWaypointKey) keys.wroteWaypointKey = true;
                if (offset == 0x3214 && length == 4 && GetWord(data) == kEndKey) keys.wroteEndKey = true;
            }
            pos += header + length;
        }
        lastBlock_.assign(block, block + std::min(pos, size));
        if (good) reply = replyValue_;
        if (corruptCode_ != 0 && pos > 4) PutWord(block, corruptCode_);
        if (scribble_) {
            for (const size_t at : headers) {
                PutWord(block + at + 8, GetWord(block + at + 8) ^ 0x00FF00FFu);
                if (GetWord(block + at) == kIpcReadCode) PutWord(block + at + 12, 0xFFFFFFFFu);
            }
        }
        if (!keys.armed && keys.wroteWaypointKey && keys.wroteEndKey) {
            keys.armed = true;
            ++armedLinks_;
        }
        onMessage = onMessage_;
        changed_.notify_all();
    }
    if (onMessage)
        for (const std::string& text : texts) onMessage(text);
    return reply;
}

void SimServer::Write(uint32_t offset, const void* data, size_t size) {
    std::lock_guard lock(mutex_);
    if (offset >= kSpaceSize) return;
    std::memcpy(space_.data() + offset, data, std::min<size_t>(size, kSpaceSize - offset));
    changed_.notify_all();
}

void SimServer::Read(uint32_t offset, void* data, size_t size) const {
    std::lock_guard lock(mutex_);
    std::memset(data, 0, size);
    if (offset >= kSpaceSize) return;
    std::memcpy(data, space_.data() + offset, std::min<size_t>(size, kSpaceSize - offset));
}

void SimServer::PressKey(uint32_t slotOffset) {
    const uint8_t pressed = 1;
    Write(slotOffset + 3, &pressed, 1);
}

bool SimServer::AwaitKeyRearmed(uint32_t slotOffset, std::chrono::milliseconds timeout) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, timeout, [&] { return space_[slotOffset + 3] == 0; });
}

bool SimServer::AwaitConnect(std::chrono::milliseconds timeout) {
    std::unique_lock lock(mutex_);
    if (!changed_.wait_for(lock, timeout, [&] { return armedLinks_ > connectsAwaited_; })) return false;
    ++connectsAwaited_;
    return true;
}

bool SimServer::AwaitLinksClosed(std::chrono::milliseconds timeout) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, timeout, [&] { return linksSeen_ > 0 && openLinks_ == 0; });
}

void SimServer::SetReplyValue(uint32_t value) {
    std::lock_guard lock(mutex_);
    replyValue_ = value;
}

void SimServer::SetReplyDelay(std::chrono::milliseconds delay) {
    std::lock_guard lock(mutex_);
    replyDelay_ = delay;
}

void SimServer::SetCorruptCode(uint32_t code) {
    std::lock_guard lock(mutex_);
    corruptCode_ = code;
}

void SimServer::SetSilent(bool silent) {
    std::lock_guard lock(mutex_);
    silent_ = silent;
}

void SimServer::SetScribble(bool scribble) {
    std::lock_guard lock(mutex_);
    scribble_ = scribble;
}

uint64_t SimServer::RequestCount() const {
    std::lock_guard lock(mutex_);
    return requests_;
}

std::vector<uint8_t> SimServer::LastBlock() const {
    std::lock_guard lock(mutex_);
    return lastBlock_;
}

std::vector<std::string> SimServer::BlockNames() const {
    std::lock_guard lock(mutex_);
    return blockNames_;
}

size_t SimServer::OpenLinks() const {
    std::lock_guard lock(mutex_);
    return openLinks_;
}

void SimServer::OnMessage(std::function<void(const std::string&)> handler) {
    std::lock_guard lock(mutex_);
    onMessage_ = std::move(handler);
}

void SimServer::LinkOpened() {
    std::lock_guard lock(mutex_);
    ++openLinks_;
    ++linksSeen_;
}

void SimServer::LinkClosed() {
    std::lock_guard lock(mutex_);
    --openLinks_;
    changed_.notify_all();
}

void SimServer::NoteBlockName(const std::string& name) {
    std::lock_guard lock(mutex_);
    if (std::find(blockNames_.begin(), blockNames_.end(), name) == blockNames_.end()) blockNames_.push_back(name);
}

bool SimServer::Silent() const {
    std::lock_guard lock(mutex_);
    return silent_;
}

std::chrono::milliseconds SimServer::ReplyDelay() const {
    std::lock_guard lock(mutex_);
    return replyDelay_;
}

}  // namespace kestrova
