#include "support/when_modal.h"

#include <QApplication>
#include <QPointer>
#include <QTimer>
#include <gtest/gtest.h>

namespace tavrune::test {

namespace {

constexpr int kPollMilliseconds = 10;
constexpr int kPolls = 300;
constexpr int kCloseLeftOpenAfterMilliseconds = 3000;

void poll(std::function<void(QWidget&)> act, int pollsLeft)
{
    QTimer::singleShot(kPollMilliseconds, [act = std::move(act), pollsLeft]() mutable {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == nullptr) {
            if (pollsLeft == 0) {
                ADD_FAILURE() << "no modal dialog appeared";
                return;
            }
            poll(std::move(act), pollsLeft - 1);
            return;
        }
        act(*modal);
        const QPointer<QWidget> shown(modal);
        QTimer::singleShot(kCloseLeftOpenAfterMilliseconds, [shown] {
            if (!shown.isNull() && shown->isVisible()) {
                ADD_FAILURE() << "modal dialog left open: " << shown->objectName().toStdString();
                shown->close();
            }
        });
    });
}

} // namespace

void whenModalShown(std::function<void(QWidget&)> act)
{
    poll(std::move(act), kPolls);
}

} // namespace tavrune::test
