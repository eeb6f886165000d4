// What a process holds, from /proc: memory, open files, threads, and the JACK clients of the
// server JACK_DEFAULT_SERVER names, for benchmarks that count them before and after.
#pragma once

#include <dirent.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <set>
#include <string>

namespace bench {

constexpr double kiBPerMiB = 1024;

struct Holdings {
    double residentMiB = 0;  // VmRSS
    double anonMiB = 0;      // RssAnon: the process's own heap and stacks
    int files = 0;
    int threads = 0;
    int jackClients = 0;  // clients that have ports, as jack_lsp lists them
};

inline double statusMiB(const std::string& field)
{
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.starts_with(field + ":")) {
            return std::atof(line.c_str() + field.size() + 1) / kiBPerMiB;
        }
    }
    return 0;
}

inline int entries(const char* folder)
{
    int count = 0;
    if (DIR* dir = opendir(folder)) {
        while (const dirent* entry = readdir(dir)) {
            count += entry->d_name[0] != '.';
        }
        closedir(dir);
    }
    return count;
}

inline int jackClientsWithPorts()
{
    std::set<std::string> clients;
    if (FILE* ports = popen("jack_lsp 2>/dev/null", "r")) {
        char line[512];
        while (std::fgets(line, sizeof line, ports) != nullptr) {
            const std::string name(line);
            clients.insert(name.substr(0, name.find(':')));
        }
        pclose(ports);
    }
    return static_cast<int>(clients.size());
}

inline Holdings holdings()
{
    return {statusMiB("VmRSS"), statusMiB("RssAnon"), entries("/proc/self/fd"),
            entries("/proc/self/task"), jackClientsWithPorts()};
}

}  // namespace bench
