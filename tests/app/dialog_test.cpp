// The main dialog's Qt view over the stand-ins, shown on the offscreen platform: its controls,
// found by object name, reach the controller and show its state; the close paths, the context
// menu with the about box and the preview window; the settings in a real QSettings INI file.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSettings>
#include <QTest>
#include <QTimer>
#include <QWheelEvent>

#include "app/convert_dlg.h"
#include "app/preview_window.h"
#include "platform/qt_dialog.h"
#include "platform/qt_services.h"
#include "tests/app/dialog_test_support.h"

namespace {

using namespace res;
using Lines = std::vector<std::string>;

struct DialogUnderTest {
  DialogUnderTest() : dialog(std::make_unique<CConvertDlg>(services, settings)) { dialog->show(); }
  template <class Widget = QWidget>
  Widget* Control(int id) const {
    Widget* widget = platform::FindControlAs<Widget>(*dialog, id);
    EXPECT_NE(widget, nullptr) << id;
    return widget;
  }
  void Click(int id) { QTest::mouseClick(Control<QAbstractButton>(id), Qt::LeftButton); }
  void SetText(int id, const std::string& text) {
    Control<QLineEdit>(id)->setText(QString::fromStdString(text));
  }
  std::string Text(int id) const { return Control<QLineEdit>(id)->text().toStdString(); }

  StandinServices services;
  MemorySettings settings;
  std::unique_ptr<CConvertDlg> dialog;
};

TEST(ConvertDlg, ControlsReachTheControllerAndShowItsState) {
  TempFolder folder;
  DialogUnderTest ui;
  // A shape with faces to see.
  ui.services.source_answers.push_back(
      folder.Write("loco.s", ShapeText(test::ReadTestData("hierarchy.s.txt"))));
  ui.Click(kIdBrowseSource);
  EXPECT_EQ(ui.Text(kIdSource), folder.File("loco.s"));
  EXPECT_FALSE(ui.Control(kIdDecompress)->isEnabled());
  ui.services.folder_answers.push_back(folder.path());
  ui.Click(kIdBrowseOutput);
  ui.Click(kIdTwoFoot);  // a second click leaves the option marked, as on a radio button
  ui.Click(kIdTwoFoot);
  // Enter in Length converts; with no number there it asks for one.
  auto* length = ui.Control<QLineEdit>(kIdLength);
  QTest::keyClicks(length, "x");
  QTest::keyClick(length, Qt::Key_Return);
  EXPECT_EQ(length->selectedText().toStdString(), "x0");
  QAction* preview = ui.dialog->findChild<QAction*>("action_preview");
  EXPECT_FALSE(preview->isEnabled());
  QTest::keyClicks(length, "20");
  QTest::keyClick(length, Qt::Key_Return);
  ui.Click(kIdOk);
  EXPECT_TRUE(ui.dialog->State().options.TwoFootScale);
  EXPECT_EQ(ui.dialog->State().options.OutputDirectory, folder.path());
  // The pane shows the whole log of both runs, scrolled to its end.
  auto* pane = ui.Control<QPlainTextEdit>(kIdLog);
  EXPECT_EQ(pane->toPlainText().toStdString(), WithoutCarriageReturns(ui.dialog->State().LogText));
  QScrollBar* scroll = pane->verticalScrollBar();
  EXPECT_GT(scroll->maximum(), 0);
  EXPECT_EQ(scroll->value(), scroll->maximum());

  // "Preview…": a window that turns the model with the mouse and zooms with the wheel.
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

// The settings are written from the fields when the dialog closes.
TEST(ConvertDlg, SettingsWrittenOncePerClosePath) {
  const struct {
    const char* how;
    std::function<void(DialogUnderTest&)> close;
    int times;
  } cases[] = {
      {"Close", [](auto& ui) { ui.Click(kIdCancel); }, 1},
      {"Escape", [](auto& ui) { QTest::keyClick(ui.dialog.get(), Qt::Key_Escape); }, 1},
      // The close box saves, then takes the Close path.
      {"close box", [](auto& ui) { ui.dialog->close(); }, 2},
  };
  for (const auto& c : cases) {
    DialogUnderTest ui;
    ui.SetText(kIdSource, "/trains/loco.s");
    ui.SetText(kIdOutputDirectory, "/out");
    c.close(ui);
    Lines once{"Source=/trains/loco.s", "Dest=/out", "Eng="}, want;
    for (int i = 0; i < c.times; ++i) want.insert(want.end(), once.begin(), once.end());
    EXPECT_EQ(ui.settings.writes, want) << c.how;
    EXPECT_FALSE(ui.dialog->isVisible()) << c.how;
  }
}

// The entries of the context menu (right click, or Shift+F10), and the about box.
TEST(ConvertDlg, AboutBoxFromTheContextMenu) {
  DialogUnderTest ui;
  Lines entries;
  for (QAction* action : ui.dialog->actions()) entries.push_back(action->text().toStdString());
  EXPECT_EQ(entries, (Lines{"Preview\u2026", "&About Shapewright..."}));
  EXPECT_EQ(ui.dialog->contextMenuPolicy(), Qt::ActionsContextMenu);
  std::string caption;  // and the version line
  QTimer::singleShot(0, [&] {
    QWidget* box = QApplication::activeModalWidget();
    if (box == nullptr) return;
    caption = box->windowTitle().toStdString() + " / " +
              box->findChild<QLabel*>("static_1")->text().toStdString();
    if (auto* ok = platform::FindControlAs<QPushButton>(*box, kIdOk))
      QTest::mouseClick(ok, Qt::LeftButton);
  });
  ui.dialog->findChild<QAction*>("action_about")->trigger();
  EXPECT_EQ(caption.rfind("About Shapewright / Shapewright Version 1.", 0), 0u) << caption;
}

TEST(QtSettingsStore, ClosedDialogIsRestoredAtTheNextStart) {
  test::TempFolder settings_folder, work;
  QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                     QString::fromStdString(settings_folder.path()));
  const std::string ini =
      settings_folder.File("Ferrowind/" + platform::ProgramBaseName().toStdString() + ".conf");
  work.Write("hierarchy.s", test::ShapeText(test::ReadTestData("hierarchy.s.txt")));
  work.Write("steam.eng", test::ShapeText(test::ReadTestData("steam.eng.txt")));
  {
    platform::QtSettingsStore store(platform::ProgramBaseName());
    ControllerUnderTest ui(&store);
    EXPECT_FALSE(test::FileExists(ini));
    ui.services.source_answers.push_back(work.File("steam.eng"));
    ui.controller.OnBrowseSource();
    ui.Type(kIdOutputDirectory, work.File("out"));
    ui.controller.OnClose();
  }
  EXPECT_EQ(test::ReadFile(ini), "[Shapewright]\nDest=" + work.File("out") +
                                     "\nEng=" + work.File("steam.eng") +
                                     "\nSource=" + work.File("hierarchy.s") + "\n");

  platform::QtSettingsStore store(platform::ProgramBaseName());
  ControllerUnderTest next(&store);
  EXPECT_EQ(next.Text(kIdOutputDirectory), work.File("out"));
  EXPECT_EQ(next.controller.State().options.EngPath, "");
  // The saved source is only the chooser's start folder.
  next.controller.OnBrowseSource();
  EXPECT_EQ(next.services.source_starts, std::vector<std::string>{work.path()});
}

}  // namespace
