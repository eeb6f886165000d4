// The JACK client library the process runs with: which one, and where its messages go.
#include "platform/jack/jack_library.h"

#include <dlfcn.h>
#include <jack/jack.h>

#include <mutex>
#include <string_view>

namespace midiout {

void dropJackMessages()
{
    static std::once_flag once;
    std::call_once(once, [] {
        jack_set_error_function([](const char*) {});
        jack_set_info_function([](const char*) {});
    });
}

bool jackLibraryIsPipeWire()
{
    static const bool pipeWire = [] {
        Dl_info library{};
        void* open = dlsym(RTLD_DEFAULT, "jack_client_open");
        return open != nullptr && dladdr(open, &library) != 0 && library.dli_fname != nullptr &&
               std::string_view(library.dli_fname).find("pipewire") != std::string_view::npos;
    }();
    return pipeWire;
}

}  // namespace midiout
