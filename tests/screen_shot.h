// For the programs that take the README's pictures: saves the screen under a window, once it has
// had time to show, and ends the application.
#pragma once

#include <QApplication>
#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>
#include <QTimer>
#include <QWidget>
#include <cstdio>

namespace hdmjm::test {

// The font of the pictures: one that has the Chinese characters, at a dialog's size.
inline void UseScreenshotFont() {
  QFont font(QStringLiteral("WenQuanYi Zen Hei"));
  font.setPixelSize(13);
  QApplication::setFont(font);
}

// After `delayMs`, saves the screen's area under `window` (grown by `margin` to the right and
// below, for popups reaching past it) to `output`; the application then ends with 0, or 1 when
// the picture could not be saved.
inline void SaveScreenLater(QWidget& window, const QString& output, int delayMs, int margin = 0) {
  QTimer::singleShot(delayMs, &window, [&window, output, margin] {
    const QRect area = window.frameGeometry().adjusted(0, 0, margin, margin);
    const QPixmap shot = QGuiApplication::primaryScreen()->grabWindow(0, area.x(), area.y(),
                                                                      area.width(), area.height());
    const bool saved = shot.save(output);
    std::fprintf(stderr, "%s %s\n", saved ? "saved" : "could not save", qPrintable(output));
    QApplication::exit(saved ? 0 : 1);
  });
}

}  // namespace hdmjm::test
