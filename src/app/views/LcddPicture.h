#pragma once

struct LcddScreen;
class LcdModule;

// The window's picture of LCDd's display: what Brellix asked LCDd to show,
// drawn on a module model (lines, large digits, the colon, icons as the
// custom characters they stand for, the backlight).
namespace LcddPicture {
void draw(const LcddScreen& screen, LcdModule& picture);
}
