// The program's windows: created on first reference, destroyed by unloading.
#include "platform/toolkit/window_registry.h"

#include <QCoreApplication>
#include <QPointer>
#include <QTimer>

#include <algorithm>
#include <map>
#include <vector>

namespace toolkit {
namespace {

std::map<std::type_index, QPointer<Window>>& windows()
{
    static std::map<std::type_index, QPointer<Window>> loaded;
    return loaded;
}

}  // namespace

Window* WindowRegistry::find(std::type_index type)
{
    const auto it = windows().find(type);
    return it == windows().end() ? nullptr : it->second.data();
}

void WindowRegistry::add(std::type_index type, Window* window)
{
    windows()[type] = window;
}

void WindowRegistry::forget(const Window* window)
{
    std::erase_if(windows(), [window](const auto& entry) { return entry.second == window; });
}

void WindowRegistry::unloadAll()
{
    std::vector<QPointer<Window>> loaded;
    for (const auto& entry : windows()) {
        loaded.push_back(entry.second);
    }
    windows().clear();
    for (const QPointer<Window>& window : loaded) {
        if (window) {
            window->close();
        }
    }
}

void WindowRegistry::endSoonIfNoneVisible()
{
    QTimer::singleShot(0, [] {
        const bool anyVisible = std::any_of(
            windows().begin(), windows().end(),
            [](const auto& entry) { return entry.second && entry.second->isVisible(); });
        if (!anyVisible) {
            QCoreApplication::quit();
        }
    });
}

void WindowRegistry::endProgram()
{
    unloadAll();
    QCoreApplication::quit();
}

}  // namespace toolkit
