// Which JACK client library the process runs with.
#include "platform/midi/jack_library.h"

#include <dlfcn.h>

#include <string_view>

namespace midiout {

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
