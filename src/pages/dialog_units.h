// Dialog units: a quarter of the font's average character width across, an eighth of its
// height down, so that a layout given in dialog units grows with the font.
#pragma once

#include <QFont>
#include <QRect>
#include <QSize>

namespace hdmjm {

class DialogUnits {
 public:
  explicit DialogUnits(const QFont& font);

  QRect Rect(int x, int y, int width, int height) const;
  QSize Size(int width, int height) const;

 private:
  int baseX_;
  int baseY_;
};

}  // namespace hdmjm
