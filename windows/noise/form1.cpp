// The noise machine window: ten voices, each playing random notes on its own channel.
#include "windows/noise/form1.h"

#include "platform/toolkit/twips.h"

Form1::Form1()
{
    setWindowTitle("Form1");
    resize(toolkit::twipSize(8610, 6240));
}
