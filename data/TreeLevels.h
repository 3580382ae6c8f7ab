#pragma once

// One row of the category id coding: a level's field width, the value of one unit of its
// field and the largest value the field may take.
struct TreeLevel {
    int nLevel;
    int nBits;
    int nStep;
    int nSlots;
};

// Rows 0 (root) to 5.
inline constexpr TreeLevel g_treeLevels[6] = {
    {0, 0, 0x7E000000, 0}, {1, 6, 0x2000000, 62}, {2, 6, 0x80000, 63},
    {3, 6, 0x2000, 63},    {4, 6, 0x80, 63},      {5, 7, 1, 127},
};
