// Draws the program's icon at one size and writes it as a PNG; the build runs it for each size
// the desktop's icon theme takes:
//   make-icon 128 vorlik.png
#include <cstdio>
#include <cstdlib>

#include "platform/toolkit/program_icon.h"

int main(int argc, char* argv[])
{
    const int size = argc == 3 ? std::atoi(argv[1]) : 0;
    if (size <= 0) {
        std::fprintf(stderr, "usage: make-icon SIZE FILE.png\n");
        return 2;
    }
    if (!toolkit::drawProgramIcon(size).save(argv[2], "PNG")) {
        std::fprintf(stderr, "make-icon: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
