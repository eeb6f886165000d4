// The musical mouse window: dragging draws coloured lines and plays the pointer's position.
#pragma once

#include "platform/toolkit/window.h"

class Zandor : public toolkit::Window {
    Q_OBJECT
public:
    static constexpr bool visibleAtCreation = false;

    Zandor();
};
