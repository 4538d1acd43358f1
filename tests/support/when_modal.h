#pragma once

#include <QWidget>
#include <functional>

namespace tavrune::test {

// Acts on the next modal dialog as soon as it is up (call it before the code that
// opens the dialog). A dialog the action leaves open is closed after a while, with
// a test failure, so that a failing test cannot hang.
void whenModalShown(std::function<void(QWidget& dialog)> act);

} // namespace tavrune::test
