#include "foundation/Version.h"

#include "foundation/Ascii.h"

#include <atomic>

namespace ns {
namespace {

std::atomic<double> g_coreFoundationVersion{CoreFoundationVersionNumber_iPhoneOS_4_2};

} // namespace

int compareNumeric(std::string_view a, std::string_view b)
{
    std::size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        if (isAsciiDigit(a[i]) && isAsciiDigit(b[j])) {
            // Leading zeros do not count; then the longer run is the larger number, else the first
            // differing digit decides.
            while (i < a.size() && a[i] == '0')
                ++i;
            while (j < b.size() && b[j] == '0')
                ++j;
            std::size_t startA = i, startB = j;
            while (i < a.size() && isAsciiDigit(a[i]))
                ++i;
            while (j < b.size() && isAsciiDigit(b[j]))
                ++j;
            std::string_view runA = a.substr(startA, i - startA);
            std::string_view runB = b.substr(startB, j - startB);
            if (runA.size() != runB.size())
                return runA.size() < runB.size() ? -1 : 1;
            if (int order = runA.compare(runB); order != 0)
                return order < 0 ? -1 : 1;
            continue;
        }
        auto ca = static_cast<unsigned char>(a[i]);
        auto cb = static_cast<unsigned char>(b[j]);
        if (ca != cb)
            return ca < cb ? -1 : 1;
        ++i;
        ++j;
    }
    bool aLeft = i < a.size(), bLeft = j < b.size();
    if (aLeft == bLeft)
        return 0;
    return aLeft ? 1 : -1;
}

double coreFoundationVersionNumber()
{
    return g_coreFoundationVersion.load();
}

void setCoreFoundationVersionNumber(double number)
{
    g_coreFoundationVersion.store(number);
}

} // namespace ns
