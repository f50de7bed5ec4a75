// Painting a preview drawing, and the box on a page that shows one.
#pragma once

#include <QRect>
#include <QWidget>
#include <functional>
#include <optional>

#include "slopes/preview_geometry.h"

class QPainter;

namespace hdmjm {

// Fills `box` with the drawing's background and draws its strokes, offset to the box's top left
// corner and clipped to the box. The painter's state is restored afterwards.
void PaintPreview(QPainter& painter, const PreviewDrawing& drawing, const QRect& box);

// The preview box of the slope and side-ditch pages: an empty area that paints a drawing.
// A page either hands it a finished drawing, or a source that makes one for the box's size at
// every paint; a source that returns nothing leaves the box as it was last painted.
class PreviewBox : public QWidget {
  Q_OBJECT

 public:
  using Source = std::function<std::optional<PreviewDrawing>(int width, int height)>;

  explicit PreviewBox(QWidget* parent = nullptr);

  void SetDrawing(PreviewDrawing drawing);
  void SetSource(Source source);
  // Forgets drawing and source: the box shows nothing of its own.
  void Clear();
  // The drawing painted last (or handed over last), if any.
  const std::optional<PreviewDrawing>& Drawing() const { return drawing_; }

  QSize sizeHint() const override { return {300, 200}; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  Source source_;
  std::optional<PreviewDrawing> drawing_;
};

}  // namespace hdmjm
