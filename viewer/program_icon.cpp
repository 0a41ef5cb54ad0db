#include "viewer/program_icon.h"

#include <QPainter>
#include <QPainterPath>

QPixmap ProgramIconPixmap(int size) {
  QPixmap pixmap(size, size);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  p.scale(size / 32.0, size / 32.0);
  // The sheet with its ruled rows.
  p.setPen(QPen(QColor(40, 70, 120), 1.2));
  p.setBrush(QColor(245, 248, 252));
  p.drawRoundedRect(QRectF(3, 3, 26, 26), 3, 3);
  p.setPen(QPen(QColor(170, 190, 215), 0.8));
  for (int y = 9; y <= 25; y += 4) p.drawLine(QPointF(6, y), QPointF(26, y));
  p.drawLine(QPointF(12, 6), QPointF(12, 26));
  // The readings' curve.
  QPainterPath curve;
  curve.moveTo(6, 24);
  curve.cubicTo(12, 22, 16, 12, 26, 8);
  p.setPen(QPen(QColor(210, 60, 40), 2.2, Qt::SolidLine, Qt::RoundCap));
  p.setBrush(Qt::NoBrush);
  p.drawPath(curve);
  return pixmap;
}

QIcon ProgramIcon() {
  QIcon icon;
  for (int size : {16, 32, 48}) icon.addPixmap(ProgramIconPixmap(size));
  return icon;
}
