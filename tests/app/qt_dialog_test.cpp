// The main dialog built from its template: dialog units in pixels, object names, tab order,
// the default button and the kinds of control.
#include <gtest/gtest.h>

#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <string>

#include "platform/qt_dialog.h"

namespace {

using namespace res;

TEST(MapDialogRect, RoundsEachValueToTheNearestPixel) {
  platform::DialogBaseUnits units{6, 13};
  EXPECT_EQ(platform::MapDialogRect(units, 265, 26, 48, 14), QRect(398, 42, 72, 23));
  EXPECT_EQ(platform::MapDialogRect(units, 1, 1, 2, 3), QRect(2, 2, 3, 5));
  platform::DialogBaseUnits odd{7, 15};
  EXPECT_EQ(platform::MapDialogRect(odd, 7, 9, 23, 8), QRect(12, 17, 40, 15));
}

struct BuiltMainDialog : ::testing::Test {
  void SetUp() override { platform::BuildDialog(dialog, *FindDialogTemplate(kMainDialog)); }
  QWidget* Named(const char* name) { return dialog.findChild<QWidget*>(name); }
  platform::DialogBaseUnits Units() {
    return platform::MeasureBaseUnits(platform::DialogFont(*FindDialogTemplate(kMainDialog)));
  }
  QDialog dialog;
};

// Dialog units to pixels as Windows does: x and widths in quarters of the base width, y and
// heights in eighths of the base height, rounded to the nearest pixel.
QRect InPixels(const platform::DialogBaseUnits& units, int x, int y, int width, int height) {
  auto scale = [](int value, int base, int parts) {
    return (2 * value * base + parts) / (2 * parts);
  };
  return QRect(scale(x, units.x, 4), scale(y, units.y, 8), scale(width, units.x, 4),
               scale(height, units.y, 8));
}

TEST_F(BuiltMainDialog, EveryControlAtItsTemplatePosition) {
  platform::DialogBaseUnits units = Units();
  EXPECT_EQ(dialog.size(), InPixels(units, 0, 0, 320, 200).size());
  EXPECT_EQ(dialog.minimumSize(), dialog.maximumSize());
  EXPECT_EQ(dialog.windowTitle().toStdString(), "Shapewright");
  const struct {
    const char* name;
    int x, y, width, height;  // dialog units, as the template gives them
  } controls[] = {
      {"control_1", 265, 26, 48, 14},    {"control_2", 263, 177, 50, 16},
      {"static_2", 7, 9, 23, 8},         {"control_1005", 7, 95, 245, 98},
      {"control_1008", 163, 76, 97, 10}, {"control_1003", 66, 49, 190, 14},
  };
  for (const auto& c : controls) {
    QWidget* widget = Named(c.name);
    ASSERT_NE(widget, nullptr) << c.name;
    EXPECT_EQ(widget->geometry(), InPixels(units, c.x, c.y, c.width, c.height)) << c.name;
  }
}

TEST_F(BuiltMainDialog, ControlKindsAndTexts) {
  auto* convert = qobject_cast<QPushButton*>(Named("control_1"));
  ASSERT_NE(convert, nullptr);
  EXPECT_EQ(convert->text().toStdString(), "Convert");
  EXPECT_TRUE(convert->isDefault());
  EXPECT_FALSE(qobject_cast<QPushButton*>(Named("control_2"))->isDefault());
  auto* log = qobject_cast<QPlainTextEdit*>(Named("control_1005"));
  ASSERT_NE(log, nullptr);
  EXPECT_FALSE(log->isReadOnly());
  EXPECT_EQ(log->lineWrapMode(), QPlainTextEdit::NoWrap);
  EXPECT_EQ(log->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
  EXPECT_TRUE(log->tabChangesFocus());
  EXPECT_EQ(log->tabStopDistance(), InPixels(Units(), 32, 0, 0, 0).x());
  auto* radio = qobject_cast<QRadioButton*>(Named("control_1008"));
  ASSERT_NE(radio, nullptr);
  EXPECT_EQ(radio->text().toStdString(), "MSTS Std>2ft conversion");
  EXPECT_EQ(radio->focusPolicy(), Qt::ClickFocus);
  EXPECT_EQ(qobject_cast<QLabel*>(Named("static_11"))->text().toStdString(), "Output Directory");
  EXPECT_EQ(platform::FindControl(dialog, 4242), nullptr);
}

TEST_F(BuiltMainDialog, TabOrderIsTemplateOrderOverTheTabStops) {
  const char* order[] = {"control_1",    "control_2",    "control_1000", "control_1001",
                         "control_1005", "control_1006", "control_1004", "control_1003",
                         "control_1009", "control_1"};
  for (size_t i = 0; i + 1 < std::size(order); ++i) {
    QWidget* next = Named(order[i])->nextInFocusChain();
    while ((next->focusPolicy() & Qt::TabFocus) == 0) next = next->nextInFocusChain();
    EXPECT_EQ(next, Named(order[i + 1])) << order[i];
  }
}

}  // namespace
