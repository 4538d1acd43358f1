#pragma once

#include <QString>

namespace tavrune {

// Creates the missing levels of an absolute path in order, from the root down. A
// level counts as there when anything has its name, a dangling link too; a file in
// the way then fails the level below it. Returns 0, or the errno value of the
// level that could not be made, whose path goes to failedLevel; the levels made
// before it stay.
int makeDirectories(const QString& path, QString& failedLevel);

} // namespace tavrune
