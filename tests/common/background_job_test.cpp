#include "common/background_job.h"
#include "common/error.h"

#include <QCoreApplication>
#include <QThread>
#include <gtest/gtest.h>

using namespace tavrune;

namespace {

// The job delivers through the event loop; the test's thread is the window's.
void runEventsUntil(const std::function<bool()>& done)
{
    while (!done()) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
}

} // namespace

TEST(BackgroundJob, OnlyTheNewestWorkIsDeliveredOnTheOwnersThread)
{
    int argc = 0;
    QCoreApplication app(argc, nullptr);
    QStringList seen;
    QThread* deliveredOn = nullptr;
    std::atomic_bool olderSawCancel = false;
    BackgroundJob job([&](const QString& why) { seen.append(u"failed: "_qs + why); });

    job.start([&](const std::atomic_bool& cancelled) -> BackgroundJob::Delivery {
        while (!cancelled) {
            QThread::yieldCurrentThread();
        }
        olderSawCancel = true;
        return [&] { seen.append(u"older"_qs); };
    });
    job.start([&](const std::atomic_bool&) -> BackgroundJob::Delivery {
        return [&] {
            seen.append(u"newer"_qs);
            deliveredOn = QThread::currentThread();
        };
    });
    runEventsUntil([&] { return !job.isRunning(); });
    job.start([](const std::atomic_bool&) -> BackgroundJob::Delivery {
        throw Error(ErrorNumber::PathFileAccess, u"cannot read"_qs);
    });
    runEventsUntil([&] { return !job.isRunning(); });
    // Whatever the older work returns, once it has, must not come through.
    while (!olderSawCancel) {
        QThread::yieldCurrentThread();
    }
    job.cancel();
    QCoreApplication::processEvents();

    EXPECT_TRUE(olderSawCancel);
    EXPECT_EQ(seen, (QStringList{u"newer"_qs, u"failed: cannot read"_qs}));
    EXPECT_EQ(deliveredOn, app.thread());
}
