#pragma once

#include <QByteArray>
#include <QString>
#include <exception>

namespace tavrune {

// Error numbers used across the program. They follow the numbering users of the
// original Windows tool know from its messages, so a number means the same thing
// whichever part of the program raised it.
namespace ErrorNumber {
constexpr int UserDeclined = -1; // the user chose not to go on; ends a command silently
constexpr int Overflow = 6;
constexpr int SubscriptOutOfRange = 9;
constexpr int BadFileName = 52;
constexpr int FileNotFound = 53;
constexpr int PermissionDenied = 70;
constexpr int PathFileAccess = 75;
constexpr int ObjectNotSet = 91;
constexpr int ApplicationDefined = 1004;
constexpr int ConnectionFailed = 3151; // a database refused or could not be reached
} // namespace ErrorNumber

// The one error type of the program: a number and a description that says what
// failed and where. Thrown by operations that can fail, caught at the boundary of
// a command.
class Error : public std::exception
{
public:
    Error(int number, QString description);

    int number() const { return m_number; }
    const QString& description() const { return m_description; }
    const char* what() const noexcept override;

private:
    int m_number;
    QString m_description;
    QByteArray m_what;
};

} // namespace tavrune
