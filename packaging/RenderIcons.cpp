// Writes the program's icon as PNG files of the sizes the desktop's icon theme
// asks for, from the very picture the program paints for its windows, so the
// menu entry and the running program show one icon.
//
// Usage: ratemill_render_icons <output folder> <size>...
// Writes <output folder>/<size>x<size>/apps/org.ratemill.Ratemill.png.

#include <QDir>
#include <QImage>
#include <QString>
#include <cstdio>
#include <cstdlib>

#include "about/ProgramPictures.h"
#include "app/DesktopStart.h"

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: %s <output folder> <size>...\n", argv[0]);
    return 2;
  }
  const QImage picture = ratemill::ProgramIconImage().convertToFormat(QImage::Format_ARGB32);
  for (int i = 2; i < argc; ++i) {
    const int size = std::atoi(argv[i]);
    if (size <= 0) {
      std::fprintf(stderr, "not a size: %s\n", argv[i]);
      return 2;
    }
    // The picture is pixel art on a 32-pixel grid: whole-number enlargements
    // keep its edges sharp where smoothing would blur them.
    const Qt::TransformationMode mode = size % picture.width() == 0 ? Qt::FastTransformation : Qt::SmoothTransformation;
    const QImage scaled = picture.scaled(size, size, Qt::IgnoreAspectRatio, mode);
    const QString folder = QString("%1/%2x%2/apps").arg(QString::fromLocal8Bit(argv[1])).arg(size);
    if (!QDir().mkpath(folder)) {
      std::fprintf(stderr, "cannot create %s\n", qPrintable(folder));
      return 1;
    }
    const QString file = folder + "/" + ratemill::kDesktopFileName + ".png";
    if (!scaled.save(file, "PNG")) {
      std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
      return 1;
    }
  }
  return 0;
}
