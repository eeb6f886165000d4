// The noise machine window: ten voices, each playing random notes on its own channel.
#pragma once

#include "platform/toolkit/window.h"

class Form1 : public toolkit::Window {
    Q_OBJECT
public:
    static constexpr bool visibleAtCreation = true;

    Form1();
};
