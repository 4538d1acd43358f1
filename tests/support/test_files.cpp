#include "support/test_files.h"

#include <QFile>
#include <csignal>
#include <gtest/gtest.h>

namespace tavrune::test {

QByteArray readBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

void writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    ASSERT_EQ(file.write(bytes), bytes.size()) << path.toStdString();
}

void withFileSizeLimit(rlim_t bytes, const std::function<void()>& work)
{
    struct rlimit previous;
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &previous), 0);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    const struct rlimit lowered = {bytes, previous.rlim_max};
    if (::setrlimit(RLIMIT_FSIZE, &lowered) == 0) {
        work();
        ::setrlimit(RLIMIT_FSIZE, &previous);
    } else {
        ADD_FAILURE() << "no file size limit";
    }
    std::signal(SIGXFSZ, previousHandler);
}

} // namespace tavrune::test
