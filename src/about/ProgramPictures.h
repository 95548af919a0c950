#pragma once

#include <QIcon>
#include <QImage>
#include <QPixmap>

namespace ratemill {

// The program's icon: a loudspeaker beside a waveform, 32 by 32 pixels in the
// sixteen colours of the classic display palette, transparent around it.
QImage ProgramIconImage();
QIcon ProgramIcon();

// The logo of the About window: the word "Ratemill", 93 by 39 pixels.
QPixmap ProgramLogo();

}  // namespace ratemill
