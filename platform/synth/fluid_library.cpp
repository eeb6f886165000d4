// Loads FluidSynth on first use and finds its functions.
#include "platform/synth/fluid_library.h"

#include <dlfcn.h>

#include <mutex>

namespace fluid {
namespace {

// FluidSynth 2 keeps the ABI of this library name.
static_assert(FLUIDSYNTH_VERSION_MAJOR == 2, "FluidSynth 2 is named libfluidsynth.so.3");
constexpr const char* libraryName = "libfluidsynth.so.3";

std::string dlError(const std::string& fallback)
{
    const char* error = dlerror();
    return error != nullptr ? std::string(error) : fallback;
}

// Sets pointer to the library's function; on failure, whyNot tells the first one missing.
template <class Function>
void find(void* library, const char* name, Function& pointer, std::string& whyNot)
{
    pointer = reinterpret_cast<Function>(dlsym(library, name));
    if (pointer == nullptr && whyNot.empty()) {
        whyNot = "FluidSynth lacks " + std::string(name) + ": " + dlError("not found");
    }
}

std::string loadOnce()
{
    // Kept loaded for the program's life: its threads may outlive any one synthesizer.
    void* library = dlopen(libraryName, RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) {
        return "FluidSynth could not be loaded: " + dlError(libraryName);
    }
    std::string whyNot;
#define VORLIK_FLUID_FIND(name) find(library, #name, name, whyNot);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    VORLIK_FLUID_FUNCTIONS(VORLIK_FLUID_FIND)
#pragma GCC diagnostic pop
#undef VORLIK_FLUID_FIND
    return whyNot;
}

}  // namespace

std::string load()
{
    static std::once_flag once;
    static std::string whyNot;
    std::call_once(once, [] { whyNot = loadOnce(); });
    return whyNot;
}

}  // namespace fluid
