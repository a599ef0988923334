// "Preview…" in the dialog's context menu: offered once a conversion has written a model file,
// and a window that turns the model with the mouse and zooms with the wheel.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QTest>
#include <QWheelEvent>

#include "app/preview_window.h"
#include "tests/app/app_test_support.h"
#include "tests/engine/test_support.h"

namespace {

using namespace res;

CPreviewWindow* OpenPreviewAfterConversion(DialogUnderTest& ui, const std::string& folder) {
  // A shape with faces to see (the dialog tests' one-primitive shape has a single point).
  test::WriteFile(folder + "/loco.s",
                  ShapeText(test::ReadFile(std::string(SW_TEST_DATA) + "/hierarchy.s.txt")));
  QAction* preview = ui.dialog->findChild<QAction*>("action_preview");
  EXPECT_NE(preview, nullptr);
  if (preview == nullptr) return nullptr;
  EXPECT_FALSE(preview->isEnabled());
  ui.SetText(kIdSource, folder + "/loco.s");
  ui.SetText(kIdOutputDirectory, folder);
  ui.SetText(kIdLength, "10");
  ui.Click(kIdOk);
  EXPECT_TRUE(preview->isEnabled());
  preview->trigger();
  return ui.dialog->findChild<CPreviewWindow*>("preview_window");
}

TEST(PreviewWindow, OfferedAfterAConversionAndShowsTheModel) {
  TempFolder folder;
  DialogUnderTest ui;
  CPreviewWindow* window = OpenPreviewAfterConversion(ui, folder.path());
  ASSERT_NE(window, nullptr);
  ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
  window->resize(200, 120);
  QApplication::processEvents();
  const QImage& image = window->image();
  ASSERT_EQ(image.width(), 200);
  // Something other than the background was drawn.
  QRgb background = image.pixel(0, 0);
  bool drawn = false;
  for (int y = 0; y < image.height() && !drawn; ++y) {
    for (int x = 0; x < image.width() && !drawn; ++x) drawn = image.pixel(x, y) != background;
  }
  EXPECT_TRUE(drawn);
  window->close();
}

TEST(PreviewWindow, DragTurnsAndWheelZooms) {
  TempFolder folder;
  DialogUnderTest ui;
  CPreviewWindow* window = OpenPreviewAfterConversion(ui, folder.path());
  ASSERT_NE(window, nullptr);
  window->resize(160, 100);
  QApplication::processEvents();
  QImage before = window->image();
  double yaw = window->view().yaw, zoom = window->view().zoom;
  QTest::mousePress(window, Qt::LeftButton, {}, QPoint(50, 50));
  QMouseEvent move(QEvent::MouseMove, QPointF(90, 40), window->mapToGlobal(QPointF(90, 40)),
                   Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(window, &move);
  QTest::mouseRelease(window, Qt::LeftButton, {}, QPoint(90, 40));
  EXPECT_DOUBLE_EQ(window->view().yaw, yaw + 0.4);
  EXPECT_NE(window->image(), before);
  QWheelEvent wheel(QPointF(80, 50), window->mapToGlobal(QPointF(80, 50)), QPoint(), QPoint(0, 120),
                    Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(window, &wheel);
  EXPECT_GT(window->view().zoom, zoom);
  window->close();
}

TEST(PreviewWindow, AModelThatCannotBeReadShowsWhy) {
  CPreviewWindow window("/nonexistent/model.stk");
  window.resize(100, 60);
  window.show();
  QApplication::processEvents();
  EXPECT_TRUE(window.image().isNull());
}

}  // namespace
