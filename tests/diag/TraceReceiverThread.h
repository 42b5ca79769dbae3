#pragma once
// A trace receiver on its own thread, as a viewer in another process: the traced code blocks
// until each line is taken, so all lines are here when a call returns.

#include "diag/TraceChannel.h"

#include <QMutex>
#include <QStringList>
#include <QThread>
#include <memory>

namespace pelto::test {

class TraceReceiverThread {
public:
    // Listens under exactly `name` in the current runtime folder.
    explicit TraceReceiverThread(const QString& name) {
        context_.moveToThread(&thread_);
        thread_.start();
        run([&] {
            listener_ = std::make_unique<diag::TraceListener>();
            QObject::connect(
                listener_.get(), &diag::TraceListener::lineReceived, listener_.get(),
                [this](const QString& line) {
                    const QMutexLocker lock(&mutex_);
                    lines_.append(line);
                },
                Qt::DirectConnection);
            listening_ = listener_->listenExactly(name);
        });
    }
    ~TraceReceiverThread() {
        run([&] { listener_.reset(); });
        thread_.quit();
        thread_.wait();
    }
    bool listening() const { return listening_; }
    QStringList lines() const {
        const QMutexLocker lock(&mutex_);
        return lines_;
    }

private:
    // Runs `fn` on the receiver's thread and waits for it.
    template <typename Fn> void run(Fn fn) {
        QMetaObject::invokeMethod(&context_, fn, Qt::BlockingQueuedConnection);
    }

    QThread thread_;
    QObject context_; // lives on the receiver's thread; carries calls there
    std::unique_ptr<diag::TraceListener> listener_;
    bool listening_ = false;
    mutable QMutex mutex_;
    QStringList lines_;
};

} // namespace pelto::test
