// A process's CPU time and wakeups (context switches), summed over all its threads from /proc.
#pragma once

#include <sys/resource.h>
#include <sys/types.h>
#include <unistd.h>

#include <dirent.h>

#include <chrono>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

namespace bench {

struct ProcessLoad {
    double cpuSeconds = 0;  // on a CPU, every thread
    long wakeups = 0;       // voluntary + involuntary context switches, every thread
};

// One thread's figures: schedstat's first field is its time on a CPU in ns.
inline ProcessLoad threadLoad(const std::string& task)
{
    ProcessLoad load;
    std::ifstream schedstat(task + "/schedstat");
    double nanoseconds = 0;
    if (schedstat >> nanoseconds) {
        load.cpuSeconds = nanoseconds / 1e9;
    }
    std::ifstream status(task + "/status");
    for (std::string line; std::getline(status, line);) {
        if (line.starts_with("voluntary_ctxt_switches:") ||
            line.starts_with("nonvoluntary_ctxt_switches:")) {
            load.wakeups += std::stol(line.substr(line.find(':') + 1));
        }
    }
    return load;
}

// Threads that end between two samples drop out of the sum.
inline ProcessLoad processLoad(pid_t pid)
{
    ProcessLoad total;
    const std::string tasks = "/proc/" + std::to_string(pid) + "/task";
    DIR* dir = opendir(tasks.c_str());
    if (dir == nullptr) {
        return total;
    }
    while (const dirent* entry = readdir(dir)) {
        if (entry->d_name[0] == '.') {
            continue;
        }
        const ProcessLoad load = threadLoad(tasks + "/" + entry->d_name);
        total.cpuSeconds += load.cpuSeconds;
        total.wakeups += load.wakeups;
    }
    closedir(dir);
    return total;
}

// This process's CPU time, every thread, those that have ended included.
inline double ownCpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval& time) { return time.tv_sec + time.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// This process's CPU share of one core over the next `window`, the calling thread sleeping.
inline double ownCpuPercentOver(std::chrono::duration<double> window)
{
    const double before = ownCpuSeconds();
    std::this_thread::sleep_for(window);
    return 100 * (ownCpuSeconds() - before) / window.count();
}

struct IdleCost {
    double cpuPercent;  // of one core
    double wakeupsPerSecond;
};

// Each process's cost over the same next `window`, the calling thread sleeping meanwhile. For
// the calling process itself, the caller's one wakeup at the end is left out.
inline std::vector<IdleCost> idleCosts(const std::vector<pid_t>& pids,
                                       std::chrono::duration<double> window)
{
    std::vector<ProcessLoad> before;
    for (const pid_t pid : pids) {
        before.push_back(processLoad(pid));
    }
    std::this_thread::sleep_for(window);
    std::vector<IdleCost> costs;
    const double seconds = window.count();
    for (std::size_t i = 0; i < pids.size(); ++i) {
        const ProcessLoad after = processLoad(pids[i]);
        const long ownWakeups = pids[i] == getpid() ? 1 : 0;
        costs.push_back(
            {100 * (after.cpuSeconds - before[i].cpuSeconds) / seconds,
             static_cast<double>(after.wakeups - before[i].wakeups - ownWakeups) / seconds});
    }
    return costs;
}

}  // namespace bench
