#pragma once

#include "foundation/Object.h"

#include <string>
#include <utility>

// One request parameter, unescaped.
class OARequestParameter : public ns::Object
{
public:
    OARequestParameter(std::string name, std::string value)
        : m_name(std::move(name)), m_value(std::move(value))
    {
    }
    static ns::Ref<OARequestParameter> requestParameterWithName(std::string name, std::string value)
    {
        return std::make_shared<OARequestParameter>(std::move(name), std::move(value));
    }

    const std::string& name() const { return m_name; }
    void setName(std::string name) { m_name = std::move(name); }
    const std::string& value() const { return m_value; }
    void setValue(std::string value) { m_value = std::move(value); }

    std::string URLEncodedName() const;
    std::string URLEncodedValue() const;
    // "name=value", both escaped.
    std::string URLEncodedNameValuePair() const;

    std::string className() const override { return "OARequestParameter"; }

private:
    std::string m_name;
    std::string m_value;
};
