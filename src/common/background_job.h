#pragma once

#include <QObject>
#include <QString>
#include <atomic>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

namespace tavrune {

// Work taken off the window's thread. Each start runs one function on a thread of
// its own; what it returns is called back on the thread that owns the job, from
// that thread's event loop, unless the job was cancelled or started again
// meanwhile. A newer start cancels the older work: its flag is raised, so that it
// can stop between steps, and whatever it returns is dropped.
class BackgroundJob : public QObject
{
public:
    using Delivery = std::function<void()>;
    using Work = std::function<Delivery(const std::atomic_bool& cancelled)>;
    using Failure = std::function<void(const QString& why)>;

    // failed is called back, as a delivery is, when the work throws.
    explicit BackgroundJob(Failure failed, QObject* parent = nullptr);
    // Cancels the work and waits for every thread it started.
    ~BackgroundJob() override;

    void start(Work work);
    void cancel();
    // Whether the latest work has neither delivered nor been cancelled.
    bool isRunning() const { return m_running; }

private:
    struct Worker
    {
        std::thread thread;
        std::shared_ptr<std::atomic_bool> cancelled;
        std::shared_ptr<std::atomic_bool> finished;
    };

    void deliver(quint64 generation, const Delivery& delivery);
    void joinFinished();

    Failure m_failed;
    std::vector<Worker> m_workers;
    quint64 m_generation = 0;
    bool m_running = false;
};

} // namespace tavrune
