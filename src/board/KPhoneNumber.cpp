#include "board/KPhoneNumber.h"

#include "foundation/Format.h"

const std::string& KPhoneNumber::compositeName() const
{
    if (!m_compositeName) {
        if (m_firstName && m_lastName)
            m_compositeName = ns::format("%@ %@", *m_lastName, *m_firstName);
        else if (m_lastName)
            m_compositeName = *m_lastName;
        else if (m_firstName)
            m_compositeName = *m_firstName;
        else
            m_compositeName = m_organization.value_or("Unknown");
    }
    return *m_compositeName;
}

std::string KPhoneNumber::description() const
{
    return ns::format("<KPhoneNumber %@ %@: %@>", compositeName(), m_type.value_or(""), m_phone);
}
