// theory/ring_palette: the twelve sector colours, warm at the top running through green and blue.
#include "theory/ring_palette.h"

const float kRingPalette[12][3] = {
    {0.776f, 0.353f, 0.29f},  {0.788f, 0.541f, 0.227f}, {0.78f, 0.698f, 0.227f},
    {0.561f, 0.698f, 0.227f}, {0.31f, 0.639f, 0.416f},  {0.247f, 0.627f, 0.639f},
    {0.227f, 0.471f, 0.722f}, {0.353f, 0.373f, 0.722f}, {0.478f, 0.31f, 0.682f},
    {0.62f, 0.31f, 0.62f},    {0.69f, 0.31f, 0.427f},   {0.722f, 0.341f, 0.31f},
};
