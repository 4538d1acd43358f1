// Ending the program by a signal: the signal arrives in the event loop once.

#include "gui/program/termination_signal.h"

#include <QSignalSpy>
#include <QTest>
#include <csignal>
#include <cstring>
#include <gtest/gtest.h>

using namespace tavrune;

namespace {

using TerminationSignalTest = testing::TestWithParam<int>;

TEST_P(TerminationSignalTest, ArrivesInTheEventLoopAndTheOldHandlerReturns)
{
    const int signal = GetParam();
    struct sigaction ignore = {};
    ignore.sa_handler = SIG_IGN;
    struct sigaction previous = {};
    ASSERT_EQ(::sigaction(signal, &ignore, &previous), 0);
    {
        TerminationSignal termination;
        QSignalSpy received(&termination, &TerminationSignal::received);
        ASSERT_EQ(::raise(signal), 0);
        EXPECT_EQ(received.size(), 0) << "delivered inside the handler";
        ASSERT_TRUE(QTest::qWaitFor([&] { return received.size() == 1; }, 3000));
        // Two signals before the loop runs make one notice.
        ASSERT_EQ(::raise(signal), 0);
        ASSERT_EQ(::raise(signal), 0);
        ASSERT_TRUE(QTest::qWaitFor([&] { return received.size() == 2; }, 3000));
        QTest::qWait(50);
        EXPECT_EQ(received.size(), 2);
    }
    struct sigaction restored = {};
    ASSERT_EQ(::sigaction(signal, nullptr, &restored), 0);
    EXPECT_EQ(restored.sa_handler, SIG_IGN);
    ::sigaction(signal, &previous, nullptr);
}

INSTANTIATE_TEST_SUITE_P(Signals, TerminationSignalTest, testing::Values(SIGTERM, SIGINT, SIGHUP),
                         [](const auto& info) { return std::string(sigabbrev_np(info.param)); });

} // namespace
