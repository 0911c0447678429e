#pragma once

#include "foundation/Object.h"

#include <string>

namespace ns {

class Dictionary;

inline constexpr const char* LocalizedDescriptionKey = "NSLocalizedDescription";
inline constexpr const char* UnderlyingErrorKey = "NSUnderlyingError";
inline constexpr const char* LocalizedFailureReasonErrorKey = "NSLocalizedFailureReason";

// A failure the user or the outside world can cause: a domain, a code and a dictionary of details.
class Error : public Object
{
public:
    Error(std::string domain, long code, Ref<Dictionary> userInfo);

    static Ref<Error> make(std::string domain, long code, Ref<Dictionary> userInfo = nullptr);
    // The common case: only a localized description.
    static Ref<Error> withDescription(std::string domain, long code, const std::string& localizedDescription);

    const std::string& domain() const { return m_domain; }
    long code() const { return m_code; }
    const Ref<Dictionary>& userInfo() const { return m_userInfo; }

    // The description from the user info, else the platform's generic sentence.
    std::string localizedDescription() const;
    Ref<Error> underlyingError() const;

    std::string className() const override { return "NSError"; }
    std::string description() const override;
    bool isEqual(const Object& other) const override;

private:
    std::string m_domain;
    long m_code;
    Ref<Dictionary> m_userInfo;
};

// Stores the error where the caller asked for it (the out-parameter may be null).
inline void setError(Ref<Error>* out, Ref<Error> error)
{
    if (out)
        *out = std::move(error);
}

} // namespace ns
