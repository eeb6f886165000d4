// The main window "Quorvel".
#pragma once

#include "platform/toolkit/window.h"

class tessaro1 : public toolkit::Window {
    Q_OBJECT
public:
    static constexpr bool visibleAtCreation = false;

    tessaro1();
};
