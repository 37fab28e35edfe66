#pragma once

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include <QObject>

#include "simlink/recorder.h"

namespace kestrova::ui {

// Runs the recorder's status actions on the GUI thread: each is queued to the
// event loop and the recorder waits until it has run there. Unlike a plain
// Qt::BlockingQueuedConnection the wait can be released: after Close() no
// action runs any more and waiting ones return unrun, so the GUI thread may
// wait for the recorder to end without both waiting on each other.
class GuiCallerThread final : public QObject, public CallerThread {
    Q_OBJECT
public:
    explicit GuiCallerThread(QObject* parent = nullptr);
    ~GuiCallerThread() override;

    void RunAndWait(const std::function<void()>& action) override;

    // Only on the GUI thread.
    void Close();

private:
    struct Call {
        bool done = false;  // ran, or released unrun
    };
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<std::shared_ptr<Call>> waiting_;
    bool closed_ = false;
};

}  // namespace kestrova::ui
