#include "about/ProgramPictures.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPolygon>
#include <QVector>
#include <cmath>

namespace ratemill {
namespace {

// The sixteen colours of the classic display palette.
const QVector<QRgb>& SixteenColours() {
  static const QVector<QRgb> colours = {
      qRgb(0, 0, 0),       qRgb(128, 0, 0),   qRgb(0, 128, 0),   qRgb(128, 128, 0),
      qRgb(0, 0, 128),     qRgb(128, 0, 128), qRgb(0, 128, 128), qRgb(192, 192, 192),
      qRgb(128, 128, 128), qRgb(255, 0, 0),   qRgb(0, 255, 0),   qRgb(255, 255, 0),
      qRgb(0, 0, 255),     qRgb(255, 0, 255), qRgb(0, 255, 255), qRgb(255, 255, 255),
  };
  return colours;
}

}  // namespace

QImage ProgramIconImage() {
  QImage canvas(32, 32, QImage::Format_ARGB32);
  canvas.fill(Qt::transparent);
  {
    QPainter painter(&canvas);
    painter.setRenderHint(QPainter::Antialiasing, false);
    const QColor black(0, 0, 0), grey(128, 128, 128), silver(192, 192, 192), navy(0, 0, 128), blue(0, 0, 255),
        lime(0, 255, 0), green(0, 128, 0);

    // Loudspeaker: the magnet block and the cone opening to the right.
    painter.setPen(black);
    painter.setBrush(grey);
    painter.drawRect(2, 11, 6, 10);
    painter.setBrush(silver);
    painter.drawPolygon(QPolygon({QPoint(8, 11), QPoint(15, 4), QPoint(15, 27), QPoint(8, 21)}));
    painter.setPen(navy);
    painter.drawLine(9, 12, 14, 7);
    painter.drawLine(9, 20, 14, 25);
    painter.setPen(blue);
    painter.drawLine(16, 8, 16, 23);

    // Waveform: one and a half periods of a sine leaving the cone.
    QPolygon wave;
    for (int x = 18; x <= 31; ++x) {
      const double phase = (x - 18) / 13.0 * 3.0 * 3.14159265358979;
      wave << QPoint(x, 16 - static_cast<int>(std::lround(8.0 * std::sin(phase))));
    }
    painter.setPen(QPen(green, 2));
    painter.drawPolyline(wave);
    painter.setPen(QPen(lime, 1));
    painter.drawPolyline(wave);
  }
  // Mapping onto the palette keeps the icon to sixteen colours whatever the
  // painter did at the edges; fully transparent pixels stay transparent.
  QVector<QRgb> table = SixteenColours();
  table.append(qRgba(0, 0, 0, 0));
  QImage indexed = canvas.convertToFormat(QImage::Format_Indexed8, table, Qt::ThresholdDither | Qt::AvoidDither);
  return indexed;
}

QIcon ProgramIcon() { return QIcon(QPixmap::fromImage(ProgramIconImage())); }

QPixmap ProgramLogo() {
  QPixmap logo(93, 39);
  logo.fill(Qt::transparent);
  QPainter painter(&logo);
  painter.setRenderHint(QPainter::Antialiasing, true);
  painter.setRenderHint(QPainter::TextAntialiasing, true);

  QLinearGradient band(0, 0, 93, 0);
  band.setColorAt(0, QColor(0, 0, 128));
  band.setColorAt(1, QColor(0, 128, 128));
  painter.setPen(Qt::NoPen);
  painter.setBrush(band);
  painter.drawRoundedRect(QRectF(0.5, 0.5, 92, 38), 6, 6);

  // A thin wave line under the word, as in the icon.
  QPainterPath wave;
  wave.moveTo(6, 31);
  for (int x = 6; x <= 87; ++x) wave.lineTo(x, 31 - 2.5 * std::sin((x - 6) / 81.0 * 6 * 3.14159265358979));
  painter.setPen(QPen(QColor(0, 255, 0), 1.2));
  painter.setBrush(Qt::NoBrush);
  painter.drawPath(wave);

  QFont word("Arial");
  word.setPixelSize(17);
  word.setBold(true);
  painter.setFont(word);
  painter.setPen(Qt::white);
  painter.drawText(QRect(0, 3, 93, 24), Qt::AlignCenter, "Ratemill");
  return logo;
}

}  // namespace ratemill
