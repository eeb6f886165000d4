// A window with a fixed thin border and nothing else from the window system.
#include "platform/toolkit/fixed_border.h"

#include <xcb/xcb.h>
#include <QGuiApplication>
#include <QPainter>
#include <QWidget>

#include <array>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "platform/toolkit/window_system.h"

namespace toolkit {
namespace {

// The Motif hints that window managers read for decorations: flags, functions, decorations,
// input mode, status.
constexpr std::uint32_t hintFunctions = 1U << 0U;
constexpr std::uint32_t hintDecorations = 1U << 1U;
constexpr std::uint32_t functionMove = 1U << 2U;
constexpr std::uint32_t decorationBorder = 1U << 1U;

xcb_atom_t atom(xcb_connection_t* connection, std::string_view name)
{
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
        connection,
        xcb_intern_atom(connection, 0, static_cast<std::uint16_t>(name.size()), name.data()),
        nullptr);
    const xcb_atom_t found = reply != nullptr ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
    std::free(reply);
    return found;
}

// The Motif hints for a border alone and moving only, and the states that keep the window off
// the task bar and pager.
void askWindowManager(QWidget& window)
{
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t* connection = x11 != nullptr ? x11->connection() : nullptr;
    if (QGuiApplication::platformName() != "xcb" || connection == nullptr) {
        return;
    }
    const auto id = static_cast<xcb_window_t>(window.winId());
    const std::array<std::uint32_t, 5> motif = {hintFunctions | hintDecorations, functionMove,
                                                decorationBorder, 0, 0};
    const xcb_atom_t motifHints = atom(connection, "_MOTIF_WM_HINTS");
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, id, motifHints, motifHints, 32,
                        motif.size(), motif.data());
    // Qt keeps states already set when it adds its own as the window is mapped.
    const std::array<xcb_atom_t, 2> states = {atom(connection, "_NET_WM_STATE_SKIP_TASKBAR"),
                                              atom(connection, "_NET_WM_STATE_SKIP_PAGER")};
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, id, atom(connection, "_NET_WM_STATE"),
                        XCB_ATOM_ATOM, 32, states.size(), states.data());
    xcb_flush(connection);
}

}  // namespace

void useFixedBorderOffTaskbar(QWidget& window)
{
    if (onWayland()) {
        window.setWindowFlag(Qt::FramelessWindowHint);
        return;
    }
    askWindowManager(window);
}

// One pixel wide, as the X11 window managers draw it, in a grey that stands out against both
// the window's dark margin and a desktop.
void paintOwnBorder(const QWidget& window, QPainter& painter)
{
    if (!window.windowFlags().testFlag(Qt::FramelessWindowHint)) {
        return;
    }
    painter.setPen(window.palette().color(QPalette::Mid));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(window.rect().adjusted(0, 0, -1, -1));
}

}  // namespace toolkit
