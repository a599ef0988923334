#include "app/preview_window.h"

#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>
#include <algorithm>

#include "preview/preview.h"
#include "preview/preview_file.h"

namespace {

constexpr double kRadiansPerPixel = 0.01;
constexpr double kMaxPitch = 1.5;  // short of straight down, where "up" is lost
constexpr double kZoomStep = 1.15;

}  // namespace

CPreviewWindow::CPreviewWindow(const std::string& model_path, QWidget* parent)
    : QWidget(parent, Qt::Window) {
  setObjectName(QStringLiteral("preview_window"));
  setAttribute(Qt::WA_DeleteOnClose);
  view_ = preview::ThreeQuarterView();
  std::string reason;
  model_ = preview::LoadModelFile(model_path, reason);
  if (!model_) {
    failure_ = QString::fromStdString(model_path + ": " + reason);
  } else if (model_->scene.empty) {
    failure_ = QString::fromStdString(model_->name + ": nothing to draw");
  }
  setWindowTitle(QString::fromStdString("Preview - " + (model_ ? model_->name : model_path)));
  resize(960, 540);
}

CPreviewWindow::~CPreviewWindow() = default;

void CPreviewWindow::Redraw() {
  if (!model_ || width() <= 0 || height() <= 0) return;
  preview::Picture picture;
  picture.width = static_cast<uint32_t>(width());
  picture.height = static_cast<uint32_t>(height());
  picture.pixels.assign(size_t(picture.width) * picture.height * 4, 238);
  preview::ViewportResult drawn =
      preview::DrawView(model_->scene, view_, picture, 0, 0, picture.width, picture.height);
  note_ = QString::fromStdString(preview::PartialPictureNote(model_->scene, drawn.pixels_ran_out));
  image_ = QImage(picture.pixels.data(), int(picture.width), int(picture.height),
                  int(picture.width * 4), QImage::Format_RGBA8888)
               .copy();
  update();
}

void CPreviewWindow::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  if (!failure_.isEmpty()) {
    painter.fillRect(rect(), palette().window());
    painter.drawText(rect(), Qt::AlignCenter | Qt::TextWordWrap, failure_);
    return;
  }
  painter.drawImage(0, 0, image_);
  if (!note_.isEmpty()) painter.drawText(rect().adjusted(8, 8, -8, -8), Qt::AlignTop, note_);
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
  view_.yaw += moved.x() * kRadiansPerPixel;
  view_.pitch = std::clamp(view_.pitch + moved.y() * kRadiansPerPixel, -kMaxPitch, kMaxPitch);
  Redraw();
}

void CPreviewWindow::wheelEvent(QWheelEvent* event) {
  int steps = event->angleDelta().y() / 120;
  for (; steps > 0; --steps) view_.zoom = std::min(view_.zoom * kZoomStep, 50.0);
  for (; steps < 0; ++steps) view_.zoom = std::max(view_.zoom / kZoomStep, 0.1);
  Redraw();
}
