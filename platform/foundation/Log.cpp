#include "foundation/Log.h"

#include <cstdio>

namespace ns {
namespace {

std::mutex& sinkMutex()
{
    // Never destroyed: objects that go while the process ends may still log.
    static auto* mutex = new std::mutex();
    return *mutex;
}

LogSink& currentSink()
{
    static auto* sink = new LogSink();
    return *sink;
}

} // namespace

void logLine(const std::string& line)
{
    LogSink sink;
    {
        std::lock_guard lock(sinkMutex());
        sink = currentSink();
    }
    if (sink) {
        sink(line);
        return;
    }
    std::fprintf(stderr, "%s\n", line.c_str());
}

LogSink setLogSink(LogSink sink)
{
    std::lock_guard lock(sinkMutex());
    LogSink previous = std::move(currentSink());
    currentSink() = std::move(sink);
    return previous;
}

LogCapture::LogCapture()
{
    m_previous = setLogSink([this](const std::string& line) {
        std::lock_guard lock(m_mutex);
        m_lines.push_back(line);
    });
}

LogCapture::~LogCapture()
{
    setLogSink(std::move(m_previous));
}

std::vector<std::string> LogCapture::lines() const
{
    std::lock_guard lock(m_mutex);
    return m_lines;
}

bool LogCapture::contains(std::string_view text) const
{
    std::lock_guard lock(m_mutex);
    for (auto& line : m_lines)
        if (line.find(text) != std::string::npos)
            return true;
    return false;
}

void LogCapture::clear()
{
    std::lock_guard lock(m_mutex);
    m_lines.clear();
}

} // namespace ns
