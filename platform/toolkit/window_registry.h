// The program's windows: created on first reference, destroyed by unloading.
#pragma once

#include <typeindex>

#include "platform/toolkit/window.h"

namespace toolkit {

// A window class declares `static constexpr bool visibleAtCreation`; its constructor builds
// the design-time state and runs its load handler.
template <class W>
concept RegisteredWindow = std::derived_from<W, Window> && requires
{
    {
        W::visibleAtCreation
        } -> std::convertible_to<bool>;
};

class WindowRegistry {
public:
    // The loaded window of class W, created now if there is none.
    template <RegisteredWindow W>
    static W& window()
    {
        if (Window* existing = find(typeid(W))) {
            return static_cast<W&>(*existing);
        }
        auto* created = new W();
        add(typeid(W), created);
        if constexpr (W::visibleAtCreation) {
            created->show();
        }
        return *created;
    }

    // The loaded window of class W, or nullptr; never creates one.
    template <RegisteredWindow W>
    static W* loaded()
    {
        return static_cast<W*>(find(typeid(W)));
    }

    // Closes and destroys the window; the next reference creates a fresh one.
    template <RegisteredWindow W>
    static void unload()
    {
        if (Window* window = find(typeid(W))) {
            window->close();
        }
    }

    static void unloadAll();
    // Unloads every window and leaves the event loop.
    static void endProgram();
    // Ends the program once the events under way are handled, if no window is visible then. The
    // one rule by which the program ends, whichever way its last window went (hidden, unloaded,
    // or closed with its title bar); a window hidden and shown again at once does not count.
    static void endSoonIfNoneVisible();

    // Called as a window closes: from now on it is not loaded.
    static void forget(const Window* window);

private:
    static Window* find(std::type_index type);
    static void add(std::type_index type, Window* window);
};

}  // namespace toolkit
