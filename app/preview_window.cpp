#include "app/preview_window.h"

#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

CPreviewWindow::CPreviewWindow(const std::string& model_path, QWidget* parent)
    : QWidget(parent, Qt::Window), preview_(OpenPreviewModel(model_path)) {
  setObjectName(QStringLiteral("preview_window"));
  setAttribute(Qt::WA_DeleteOnClose);
  setWindowTitle(QString::fromStdString(preview_.title));
  resize(960, 540);
}

CPreviewWindow::~CPreviewWindow() = default;

void CPreviewWindow::Redraw() {
  if (width() <= 0 || height() <= 0) return;
  preview::Picture picture = DrawPreviewPicture(preview_, uint32_t(width()), uint32_t(height()));
  if (picture.pixels.empty()) return;
  image_ = QImage(picture.pixels.data(), int(picture.width), int(picture.height),
                  int(picture.width * 4), QImage::Format_RGBA8888)
               .copy();
  update();
}

void CPreviewWindow::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  if (!preview_.failure.empty()) {
    painter.fillRect(rect(), palette().window());
    painter.drawText(rect(), Qt::AlignCenter | Qt::TextWordWrap,
                     QString::fromStdString(preview_.failure));
    return;
  }
  painter.drawImage(0, 0, image_);
  if (!preview_.note.empty())
    painter.drawText(rect().adjusted(8, 8, -8, -8), Qt::AlignTop,
                     QString::fromStdString(preview_.note));
}

void CPreviewWindow::resizeEvent(QResizeEvent*) { Redraw(); }

void CPreviewWindow::mousePressEvent(QMouseEvent* event) {
  last_drag_ = event->position().toPoint();
}

void CPreviewWindow::mouseMoveEvent(QMouseEvent* event) {
  if (!(event->buttons() & Qt::LeftButton)) return;
  QPoint at = event->position().toPoint();
  QPoint moved = at - last_drag_;
  last_drag_ = at;
  TurnPreview(preview_.view, moved.x(), moved.y());
  Redraw();
}

void CPreviewWindow::wheelEvent(QWheelEvent* event) {
  ZoomPreview(preview_.view, event->angleDelta().y());
  Redraw();
}
