// Window positions and sizes are given in twips: 15 twips to a pixel at 96 dots per inch.
#pragma once

#include <QRect>
#include <QSize>

namespace toolkit {

constexpr int twipsPerPixel = 15;

constexpr int pixels(int twips)
{
    return twips / twipsPerPixel;
}

constexpr QRect twipRect(int left, int top, int width, int height)
{
    return {pixels(left), pixels(top), pixels(width), pixels(height)};
}

constexpr QSize twipSize(int width, int height)
{
    return {pixels(width), pixels(height)};
}

}  // namespace toolkit
