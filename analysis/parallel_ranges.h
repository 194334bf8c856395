#pragma once
// Splits the indices 0 to n-1 into contiguous ranges, one per worker thread
// (as many as the hardware reports, each range at least minPerThread long),
// runs body(first, last) on each and joins them all before returning. The
// calling thread takes the first range. Bodies must write only to what
// belongs to their own range: the result then does not depend on the split.

#include <algorithm>
#include <thread>
#include <vector>

template <typename Body>
void parallelRanges(int n, int minPerThread, const Body& body) {
    const int threads = static_cast<int>(std::clamp(std::thread::hardware_concurrency(), 1u, 64u));
    const int perThread = std::max({1, minPerThread, (n + threads - 1) / threads});
    std::vector<std::thread> workers;
    for (int first = perThread; first < n; first += perThread)
        workers.emplace_back(
            [&body, first, last = std::min(n, first + perThread)] { body(first, last); });
    if (n > 0) body(0, std::min(n, perThread));
    for (std::thread& worker : workers) worker.join();
}
