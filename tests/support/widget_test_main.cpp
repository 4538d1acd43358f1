// main() of the widget tests: they run without a display, also when test
// discovery starts the binary at build time; a test run may name an offscreen
// configuration of its own (a small screen).

#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char* argv[])
{
    if (!qEnvironmentVariable("QT_QPA_PLATFORM").startsWith(u"offscreen")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
