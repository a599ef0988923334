// The picture of a model just converted, in a window of its own on Qt Widgets: drag to turn
// it, the wheel to zoom (app/preview_control.h).
#pragma once

#include <QImage>
#include <QPoint>
#include <QWidget>
#include <string>

#include "app/preview_control.h"

class CPreviewWindow : public QWidget {
  Q_OBJECT

 public:
  // Reads the model file at model_path and its textures; a model that cannot be read shows
  // the reason instead of a picture.
  explicit CPreviewWindow(const std::string& model_path, QWidget* parent = nullptr);
  ~CPreviewWindow() override;

  const preview::View& view() const { return preview_.view; }
  // The picture last drawn (for the tests).
  const QImage& image() const { return image_; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;

 private:
  void Redraw();

  PreviewModel preview_;
  QImage image_;
  QPoint last_drag_;
};
