// The picture of a model just converted, in a window of its own: drag to turn it, the wheel to
// zoom, drawn by the same renderer as the preview files.
#pragma once

#include <QImage>
#include <QPoint>
#include <QWidget>
#include <memory>
#include <string>

#include "preview/render.h"

namespace preview {
struct LoadedModel;
}

class CPreviewWindow : public QWidget {
  Q_OBJECT

 public:
  // Reads the model file at model_path and its textures; a model that cannot be read shows
  // the reason instead of a picture.
  explicit CPreviewWindow(const std::string& model_path, QWidget* parent = nullptr);
  ~CPreviewWindow() override;

  const preview::View& view() const { return view_; }
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

  std::unique_ptr<preview::LoadedModel> model_;
  QString failure_;
  QString note_;  // what a partial picture leaves out
  preview::View view_;
  QImage image_;
  QPoint last_drag_;
};
