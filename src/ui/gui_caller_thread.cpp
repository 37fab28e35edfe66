#include "ui/gui_caller_thread.h"

#include <algorithm>

#include <QMetaObject>
#include <QThread>

namespace kestrova::ui {

GuiCallerThread::GuiCallerThread(QObject* parent) : QObject(parent) {}

GuiCallerThread::~GuiCallerThread() { Close(); }

void GuiCallerThread::RunAndWait(const std::function<void()>& action) {
    // Called on the GUI thread itself, the action simply runs.
    if (QThread::currentThread() == thread()) {
        if (!closed_) action();
        return;
    }
    auto call = std::make_shared<Call>();
    {
        std::lock_guard lock(mutex_);
        if (closed_) return;
        waiting_.push_back(call);
    }
    // Runs on the GUI thread, as does Close(): the action either runs whole
    // before Close() or not at all, and it runs only while its caller waits,
    // so the reference to it stays valid.
    QMetaObject::invokeMethod(
        this,
        [this, call, &action] {
            {
                std::lock_guard lock(mutex_);
                if (call->done) return;
            }
            action();
            std::lock_guard lock(mutex_);
            call->done = true;
            waiting_.erase(std::remove(waiting_.begin(), waiting_.end(), call), waiting_.end());
            changed_.notify_all();
        },
        Qt::QueuedConnection);
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return call->done; });
}

void GuiCallerThread::Close() {
    std::lock_guard lock(mutex_);
    closed_ = true;
    for (const auto& call : waiting_) call->done = true;
    waiting_.clear();
    changed_.notify_all();
}

}  // namespace kestrova::ui
