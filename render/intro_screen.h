// The screen the sky window shows while the data file loads and whenever
// the user asks for it: the intro picture, a credit line and a status text.
#pragma once

#include <QPainter>

#include "skydata/sky_data.h"

namespace skyvane::render {

// Draws the intro screen of a window `height` x `width` pixels onto
// `target` through an off-screen surface, on black. The picture is the
// slot of `data.pictures` named `data.introPictureName`; `introFinished`
// switches the status text from "Loading ..." to the invitation to press a
// key.
void DrawIntroScreen(QPainter& target, int height, int width, bool introFinished,
                     const skydata::SkyData& data);

}  // namespace skyvane::render
