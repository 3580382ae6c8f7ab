#pragma once

#include <QIcon>

// The application icon with every size it is drawn at, so that small places (title bar,
// task bar) get the pixel-fitted drawing instead of a scaled-down large one.
QIcon AppIcon();
