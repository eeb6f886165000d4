// The main window "Quorvel".
#include "windows/main/tessaro1.h"

namespace {

// 15 twips to a pixel at 96 dots per inch.
constexpr int twipsPerPixel = 15;
constexpr int clientWidth = 11010 / twipsPerPixel;
constexpr int clientHeight = 8745 / twipsPerPixel;

}  // namespace

tessaro1::tessaro1()
{
    setWindowTitle("Quorvel");
    resize(clientWidth, clientHeight);
}
