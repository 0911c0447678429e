#pragma once

#include "foundation/Object.h"

#include <string>
#include <utility>

// The application's credentials at a service.
class OAConsumer : public ns::Object
{
public:
    OAConsumer(std::string key, std::string secret) : m_key(std::move(key)), m_secret(std::move(secret)) {}

    const std::string& key() const { return m_key; }
    void setKey(std::string key) { m_key = std::move(key); }
    const std::string& secret() const { return m_secret; }
    void setSecret(std::string secret) { m_secret = std::move(secret); }

    std::string className() const override { return "OAConsumer"; }

private:
    std::string m_key;
    std::string m_secret;
};
