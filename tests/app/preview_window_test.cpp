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

TEST(PreviewWindow, OfferedAfterAConversionDrawsTurnsAndZooms) {
  TempFolder folder;
  DialogUnderTest ui;
  // A shape with faces to see.
  ui.SetText(kIdSource, folder.Write("loco.s", ShapeText(test::ReadTestData("hierarchy.s.txt"))));
  ui.SetText(kIdOutputDirectory, folder.path());
  ui.SetText(kIdLength, "10");
  QAction* preview = ui.dialog->findChild<QAction*>("action_preview");
  ASSERT_NE(preview, nullptr);
  EXPECT_FALSE(preview->isEnabled());
  ui.Click(kIdOk);
  ASSERT_TRUE(preview->isEnabled());
  preview->trigger();
  auto* window = ui.dialog->findChild<CPreviewWindow*>("preview_window");
  ASSERT_NE(window, nullptr);
  ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
  window->resize(160, 100);
  QApplication::processEvents();
  const QImage before = window->image();
  ASSERT_EQ(before.width(), 160);

  double yaw = window->view().yaw, zoom = window->view().zoom;
  QTest::mousePress(window, Qt::LeftButton, {}, QPoint(50, 50));
  QMouseEvent move(QEvent::MouseMove, QPointF(90, 40), window->mapToGlobal(QPointF(90, 40)),
                   Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(window, &move);
  QTest::mouseRelease(window, Qt::LeftButton, {}, QPoint(90, 40));
  EXPECT_DOUBLE_EQ(window->view().yaw, yaw + 0.4);
  EXPECT_NE(window->image(), before);  // so the model was drawn, not only the background
  QWheelEvent wheel(QPointF(80, 50), window->mapToGlobal(QPointF(80, 50)), QPoint(), QPoint(0, 120),
                    Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(window, &wheel);
  EXPECT_GT(window->view().zoom, zoom);
  window->close();
}

}  // namespace
