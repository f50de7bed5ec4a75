#include "pages/dialog_units.h"

#include <QFontMetrics>

namespace hdmjm {

DialogUnits::DialogUnits(const QFont& font) {
  const QFontMetrics metrics(font);
  // The average width of the 52 Latin letters, rounded, as dialog templates have always used.
  const int letters = metrics.horizontalAdvance(
      QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
  baseX_ = (letters / 26 + 1) / 2;
  baseY_ = metrics.height();
}

QRect DialogUnits::Rect(int x, int y, int width, int height) const {
  return QRect(QPoint(x * baseX_ / 4, y * baseY_ / 8), Size(width, height));
}

QSize DialogUnits::Size(int width, int height) const {
  return QSize(width * baseX_ / 4, height * baseY_ / 8);
}

}  // namespace hdmjm
