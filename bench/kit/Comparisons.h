#pragma once

#include <string>
#include <vector>

namespace benchkit {

// Two benchmarks, registered under these names, that do the same work: ours and a peer's.
struct Comparison
{
    std::string name;
    std::string ours;
    std::string peer;
};

// Runs the registered benchmarks, each repeated and every repetition interleaved at random with the others',
// so that a slow patch of a shared machine falls on both sides alike. Then prints one line per comparison
// whose two sides ran: the medians, and ours / peer as a ratio of speeds (above 1: ours is faster).
// Google Benchmark's own flags on the command line override the defaults (45 repetitions of at least
// 0.05 s each). Returns the exit status: 1 when a benchmark failed or a flag is unknown.
int runComparisons(int argc, char** argv, const std::vector<Comparison>& comparisons);

} // namespace benchkit
