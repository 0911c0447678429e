#include "sharing/oauth/OARequestParameter.h"

#include "sharing/oauth/OAURLEncoding.h"

std::string OARequestParameter::URLEncodedName() const
{
    return OAURLEncoding::URLEncodedString(m_name);
}

std::string OARequestParameter::URLEncodedValue() const
{
    return OAURLEncoding::URLEncodedString(m_value);
}

std::string OARequestParameter::URLEncodedNameValuePair() const
{
    return URLEncodedName() + "=" + URLEncodedValue();
}
