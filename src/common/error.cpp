#include "common/error.h"

#include <utility>

namespace tavrune {

Error::Error(int number, QString description)
    : m_number(number), m_description(std::move(description)), m_what(m_description.toUtf8())
{
}

const char* Error::what() const noexcept
{
    return m_what.constData();
}

} // namespace tavrune
