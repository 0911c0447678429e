#pragma once

#include "foundation/Format.h"
#include "foundation/Object.h"

#include <exception>
#include <string>

namespace ns {

class Dictionary;

// The platform's named exceptions.
inline constexpr const char* InvalidArgumentException = "NSInvalidArgumentException";
inline constexpr const char* InternalInconsistencyException = "NSInternalInconsistencyException";
inline constexpr const char* RangeException = "NSRangeException";
inline constexpr const char* MallocException = "NSMallocException";
inline constexpr const char* GenericException = "NSGenericException";

class Exception : public std::exception
{
public:
    Exception(std::string name, std::string reason, Ref<Dictionary> userInfo = nullptr);

    const std::string& name() const { return m_name; }
    const std::string& reason() const { return m_reason; }
    const Ref<Dictionary>& userInfo() const { return m_userInfo; }
    // Where an assertion failed; empty for other exceptions.
    const std::string& file() const { return m_file; }
    int line() const { return m_line; }
    void setLocation(std::string file, int line);

    const char* what() const noexcept override { return m_what.c_str(); }

private:
    std::string m_name;
    std::string m_reason;
    Ref<Dictionary> m_userInfo;
    std::string m_file;
    int m_line = 0;
    std::string m_what;
};

[[noreturn]] void raise(const std::string& name, const std::string& reason,
                        Ref<Dictionary> userInfo = nullptr);
// A failed assertion: the internal-inconsistency exception naming the file and line.
[[noreturn]] void assertionFailed(const char* file, int line, const std::string& description);

} // namespace ns

// Asserts a programming rule; the message is a format with its arguments.
#define NS_ASSERT(condition, ...)                                                                            \
    do {                                                                                                     \
        if (!(condition))                                                                                    \
            ::ns::assertionFailed(__FILE__, __LINE__, ::ns::format(__VA_ARGS__));                            \
    } while (0)
