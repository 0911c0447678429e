#pragma once

#include "foundation/Format.h"

#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace ns {

// Diagnostics: one plain line each, without levels, to standard error unless a sink is installed.
void logLine(const std::string& line);

template <class... Args> void log(std::string_view fmt, const Args&... args)
{
    logLine(format(fmt, args...));
}

using LogSink = std::function<void(const std::string& line)>;
// Replaces the sink (nothing restores standard error); returns the previous one.
LogSink setLogSink(LogSink sink);

// Collects every line logged on any thread while it lives; for tests.
class LogCapture
{
public:
    LogCapture();
    ~LogCapture();
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    std::vector<std::string> lines() const;
    bool contains(std::string_view text) const; // some line contains the text
    void clear();

private:
    mutable std::mutex m_mutex;
    std::vector<std::string> m_lines;
    LogSink m_previous;
};

} // namespace ns
