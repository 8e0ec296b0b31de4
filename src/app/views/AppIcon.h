#pragma once

#include <QIcon>

// Brellix's icon, drawn rather than loaded, so the window and the tray have
// it wherever the program runs from: a green 20x4 module.
QIcon appIcon();
