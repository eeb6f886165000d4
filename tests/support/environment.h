// Variables that point a test or benchmark, and the programs it starts, at a server.
#pragma once

#include <cstdlib>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace testsupport {

// An absent value unsets the variable.
using Environment = std::vector<std::pair<std::string, std::optional<std::string>>>;

// Call while no other thread of the process reads the environment.
inline void setEnvironment(const Environment& environment)
{
    for (const auto& [name, value] : environment) {
        if (value) {
            setenv(name.c_str(), value->c_str(), 1);
        } else {
            unsetenv(name.c_str());
        }
    }
}

}  // namespace testsupport
