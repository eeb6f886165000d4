// Starts the midi-capture tool as a child process and reads the name of its port.
#pragma once

#include <cstdio>
#include <string>

namespace bench {

// The tool's output pipe, past the line that names its port; the port is empty when the tool
// did not start. The tool prints every event after that line and ends after `seconds`.
struct CaptureChild {
    FILE* pipe = nullptr;
    std::string port;
};

inline CaptureChild startCapture(const char* toolPath, const char* clientName, int seconds)
{
    CaptureChild child;
    const std::string command =
        std::string(toolPath) + " --name " + clientName + " --seconds " + std::to_string(seconds);
    child.pipe = popen(command.c_str(), "r");
    char line[256];
    while (child.pipe != nullptr && std::fgets(line, sizeof line, child.pipe) != nullptr) {
        if (std::string(line).starts_with("ready ")) {
            child.port = std::string(line + 6);
            child.port.pop_back();
            break;
        }
    }
    return child;
}

}  // namespace bench
