// A benchmark's main body, with what it throws reported instead of ending the program unexplained.
#pragma once

#include <cstdio>
#include <exception>

namespace bench {

template <class Body>
int guardedMain(const char* name, Body body)
{
    try {
        return body();
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s: %s\n", name, error.what());
    } catch (...) {
        std::fprintf(stderr, "%s: failed\n", name);
    }
    return 1;
}

}  // namespace bench
