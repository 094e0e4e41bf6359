// Draws the program's pictures into resources/images/:
//   toolbar.png  the strip of three 16 x 15 toolbar images (run, stop, about)
//                on the toolbar face grey RGB(192,192,192);
//   status.png   the 256 x 110 status picture: the idle card (pale pink,
//                停止中 in red) from column 0, the running card (pale yellow,
//                実行中 in blue) from column 132;
//   icon.png     the 32 x 32 window icon, a grey desk telephone.
// Run it after a change and commit the images:
//   build/resources/draw_pictures resources/images
#include <QtGui/QFont>
#include <QtGui/QGuiApplication>
#include <QtGui/QImage>
#include <QtGui/QPainter>
#include <QtGui/QPainterPath>

#include <cstdio>

namespace {

const QColor kFace(192, 192, 192);

QImage Toolbar() {
  QImage image(48, 15, QImage::Format_RGB32);
  image.fill(kFace);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  // Run: a blue triangle pointing right.
  p.setPen(QPen(QColor(0, 0, 128), 1));
  p.setBrush(QColor(0, 64, 255));
  p.drawPolygon(QPolygonF({QPointF(4, 2), QPointF(13, 7.5), QPointF(4, 13)}));
  // Stop: a red disc.
  p.setPen(QPen(QColor(128, 0, 0), 1));
  p.setBrush(QColor(230, 0, 0));
  p.drawEllipse(QRectF(16 + 2.5, 2, 11, 11));
  // About: a yellow question mark outlined in black.
  QFont font("DejaVu Sans", 12, QFont::Black);
  font.setPixelSize(15);
  QPainterPath path;
  path.addText(32 + 3, 13, font, "?");
  p.setPen(QPen(Qt::black, 1.2));
  p.setBrush(QColor(255, 230, 0));
  p.drawPath(path);
  return image;
}

// One card of the status picture, with its drop shadow, at `left`.
void DrawCard(QPainter& p, int left, const QColor& colour, const QString& word,
              const QColor& word_colour) {
  const int width = 115, height = 94;
  // The soft grey shadow to the right and below, fading out over 16
  // pixels: the idle card's ends at column 131.
  for (int i = 16; i >= 1; --i) {
    int grey = 188 + i * 4;
    p.fillRect(left + i, i, width, height, QColor(grey, grey, grey));
  }
  p.fillRect(left, 0, width, height, colour);
  p.setPen(QColor(64, 64, 64));
  p.setBrush(Qt::NoBrush);
  p.drawRect(left, 0, width - 1, height - 1);

  // A small postage stamp at the top left.
  QRect stamp(left + 6, 6, 18, 22);
  p.fillRect(stamp, QColor(255, 255, 255));
  p.setPen(QPen(QColor(200, 60, 60), 1, Qt::DotLine));
  p.drawRect(stamp.adjusted(1, 1, -2, -2));
  p.fillRect(stamp.adjusted(4, 4, -4, -4), QColor(120, 170, 220));

  // The program's name in large black-outlined letters.
  QFont name("IPAGothic");
  name.setPixelSize(30);
  name.setBold(true);
  QPainterPath path;
  path.addText(left + 12, 58, name, QString::fromUtf8("ミルテ"));
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(Qt::black, 2));
  p.setBrush(QColor(255, 255, 255));
  p.drawPath(path);
  p.setRenderHint(QPainter::Antialiasing, false);

  // The status word along the bottom edge, each character a quarter turn
  // counter-clockwise.
  QFont small("IPAGothic");
  small.setPixelSize(14);
  p.setFont(small);
  p.setPen(word_colour);
  for (int i = 0; i < word.size(); ++i) {
    p.save();
    p.translate(left + 62 + i * 16, 92);
    p.rotate(-90);
    p.drawText(QRect(0, 0, 16, 16), Qt::AlignCenter, word.mid(i, 1));
    p.restore();
  }
}

QImage Status() {
  QImage image(256, 110, QImage::Format_RGB888);
  image.fill(Qt::white);
  QPainter p(&image);
  DrawCard(p, 0, QColor(255, 237, 231), QString::fromUtf8("停止中"), QColor(220, 0, 0));
  DrawCard(p, 132, QColor(253, 232, 166), QString::fromUtf8("実行中"), QColor(0, 0, 220));
  return image;
}

QImage Icon() {
  QImage image(32, 32, QImage::Format_ARGB32);
  image.fill(Qt::transparent);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  const QColor body(150, 150, 150), dark(70, 70, 70);
  // The base with its dial.
  QPainterPath base;
  base.moveTo(5, 29);
  base.lineTo(9, 15);
  base.lineTo(23, 15);
  base.lineTo(27, 29);
  base.closeSubpath();
  p.setPen(QPen(dark, 1.2));
  p.setBrush(body);
  p.drawPath(base);
  p.setBrush(QColor(220, 220, 220));
  p.drawEllipse(QPointF(16, 22), 5, 5);
  p.setBrush(dark);
  p.drawEllipse(QPointF(16, 22), 1.5, 1.5);
  // The handset across the top.
  QPainterPath handset;
  handset.moveTo(3, 12);
  handset.cubicTo(3, 5, 29, 5, 29, 12);
  handset.lineTo(24, 13);
  handset.cubicTo(23, 10, 9, 10, 8, 13);
  handset.closeSubpath();
  p.setBrush(body);
  p.drawPath(handset);
  return image;
}

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  QString dir = argc > 1 ? argv[1] : ".";
  bool ok = Toolbar().save(dir + "/toolbar.png") && Status().save(dir + "/status.png") &&
            Icon().save(dir + "/icon.png");
  if (!ok) std::fprintf(stderr, "could not write the pictures into %s\n", qPrintable(dir));
  return ok ? 0 : 1;
}
