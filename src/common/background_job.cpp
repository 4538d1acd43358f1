#include "common/background_job.h"

#include "common/error.h"

#include <exception>

namespace tavrune {

BackgroundJob::BackgroundJob(Failure failed, QObject* parent)
    : QObject(parent), m_failed(std::move(failed))
{
}

BackgroundJob::~BackgroundJob()
{
    cancel();
    for (Worker& worker : m_workers) {
        worker.thread.join();
    }
}

void BackgroundJob::start(Work work)
{
    cancel();
    joinFinished();
    const quint64 generation = ++m_generation;
    m_running = true;
    Worker worker{
        {}, std::make_shared<std::atomic_bool>(false), std::make_shared<std::atomic_bool>(false)};
    worker.thread = std::thread([this, generation, work = std::move(work),
                                 cancelled = worker.cancelled, finished = worker.finished] {
        Delivery delivery;
        try {
            delivery = work(*cancelled);
        } catch (const Error& e) {
            delivery = [this, why = e.description()] { m_failed(why); };
        } catch (const std::exception& e) {
            delivery = [this, why = QString::fromLocal8Bit(e.what())] { m_failed(why); };
        }
        // The job outlives this thread (its destructor joins it), so the call is
        // either delivered or dropped with the job's other queued calls.
        if (!*cancelled) {
            QMetaObject::invokeMethod(
                this, [this, generation, delivery] { deliver(generation, delivery); },
                Qt::QueuedConnection);
        }
        *finished = true;
    });
    m_workers.push_back(std::move(worker));
}

void BackgroundJob::cancel()
{
    ++m_generation;
    m_running = false;
    for (Worker& worker : m_workers) {
        *worker.cancelled = true;
    }
}

void BackgroundJob::deliver(quint64 generation, const Delivery& delivery)
{
    if (generation != m_generation) {
        return;
    }
    m_running = false;
    if (delivery) {
        delivery();
    }
}

void BackgroundJob::joinFinished()
{
    std::erase_if(m_workers, [](Worker& worker) {
        if (!*worker.finished) {
            return false;
        }
        worker.thread.join();
        return true;
    });
}

} // namespace tavrune
