#pragma once

#include <QString>

namespace tavrune {

// The reason an operating system call failed, in Japanese, from its errno value:
// "デバイスに空き領域がありません" for ENOSPC. A value without a text of its own
// gives the system's text with the number.
QString systemErrorText(int errorNumber);

} // namespace tavrune
