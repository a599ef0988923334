#include "platform/qt_dialog.h"

#include <QButtonGroup>
#include <QDialog>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <cstdint>
#include <vector>

namespace platform {
namespace {

// MulDiv of Windows for the non-negative values of a template: value * numerator / denominator,
// rounded to nearest.
int ScaleRounded(int value, int numerator, int denominator) {
  int64_t product = int64_t{value} * numerator;
  int64_t half = denominator / 2;
  return static_cast<int>(product >= 0 ? (product + half) / denominator
                                       : (product - half) / denominator);
}

QWidget* MakePushButton(QDialog& dialog, const res::DialogControl& control) {
  auto* button = new QPushButton(QString::fromUtf8(control.text), &dialog);
  // As in a Windows dialog: the focused push button takes Enter, else the default one does.
  button->setAutoDefault(true);
  button->setDefault(control.kind == res::ControlKind::kDefaultPushButton);
  return button;
}

QWidget* MakeEdit(QDialog& dialog, const res::DialogControl& control,
                  const DialogBaseUnits& units) {
  if ((control.style & res::kMultiline) == 0) {
    auto* edit = new QLineEdit(QString::fromUtf8(control.text), &dialog);
    edit->setFrame((control.style & res::kBorder) != 0);
    return edit;
  }
  auto* edit = new QPlainTextEdit(QString::fromUtf8(control.text), &dialog);
  if ((control.style & res::kBorder) == 0) edit->setFrameShape(QFrame::NoFrame);
  edit->setLineWrapMode((control.style & res::kAutoHScroll) != 0 ? QPlainTextEdit::NoWrap
                                                                 : QPlainTextEdit::WidgetWidth);
  edit->setVerticalScrollBarPolicy((control.style & res::kVScroll) != 0 ? Qt::ScrollBarAlwaysOn
                                                                        : Qt::ScrollBarAlwaysOff);
  edit->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  // Tab moves on, as in a dialog's multi-line edit; Enter stays in the text (want-return).
  edit->setTabChangesFocus(true);
  // An edit control's tab stops: every 32 dialog units.
  edit->setTabStopDistance(MapDialogRect(units, 32, 0, 0, 0).x());
  return edit;
}

QWidget* MakeStatic(QDialog& dialog, const res::DialogControl& control) {
  auto* label = new QLabel(&dialog);
  label->setTextFormat(Qt::PlainText);
  label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  if (control.kind == res::ControlKind::kStaticIcon) {
    // An icon static takes the icon's own size, whatever the template gives.
    label->setPixmap(LoadResourceIcon(control.image).pixmap(32, 32));
  } else {
    label->setText(QString::fromUtf8(control.text));
  }
  return label;
}

// Automatic radio buttons in a row make one group; a click marks one and none can be unmarked
// by a click, even a button alone in its group (a lone Qt auto-exclusive button could be).
QRadioButton* MakeRadioButton(QDialog& dialog, const res::DialogControl& control,
                              QButtonGroup*& group) {
  auto* radio = new QRadioButton(QString::fromUtf8(control.text), &dialog);
  if (group == nullptr || (control.style & res::kGroup) != 0) {
    group = new QButtonGroup(&dialog);
    group->setExclusive(true);
  }
  group->addButton(radio);
  return radio;
}

QWidget* MakeControl(QDialog& dialog, const res::DialogControl& control,
                     const DialogBaseUnits& units, QButtonGroup*& radio_group) {
  if (control.kind != res::ControlKind::kAutoRadioButton) radio_group = nullptr;
  switch (control.kind) {
    case res::ControlKind::kPushButton:
    case res::ControlKind::kDefaultPushButton:
      return MakePushButton(dialog, control);
    case res::ControlKind::kEdit:
      return MakeEdit(dialog, control, units);
    case res::ControlKind::kAutoRadioButton:
      return MakeRadioButton(dialog, control, radio_group);
    case res::ControlKind::kStaticText:
    case res::ControlKind::kStaticIcon:
      break;
  }
  return MakeStatic(dialog, control);
}

void PlaceControl(QWidget& widget, const res::DialogControl& control,
                  const DialogBaseUnits& units) {
  QRect area = MapDialogRect(units, control.x, control.y, control.width, control.height);
  if (control.kind == res::ControlKind::kStaticIcon) area.setSize(QSize(32, 32));
  widget.setGeometry(area);
}

}  // namespace

DialogBaseUnits MeasureBaseUnits(const QFont& font) {
  QFontMetrics metrics(font);
  int letters = metrics.horizontalAdvance(
      QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
  return {(letters / 26 + 1) / 2, metrics.height()};
}

QRect MapDialogRect(const DialogBaseUnits& units, int x, int y, int width, int height) {
  return QRect(ScaleRounded(x, units.x, 4), ScaleRounded(y, units.y, 8),
               ScaleRounded(width, units.x, 4), ScaleRounded(height, units.y, 8));
}

QFont DialogFont(const res::DialogTemplate& dialog_template) {
  QFont font;
  font.setFamilies({QString::fromUtf8(dialog_template.font), QStringLiteral("Tahoma"),
                    QStringLiteral("DejaVu Sans"), QStringLiteral("Sans Serif")});
  font.setPointSize(dialog_template.point_size);
  return font;
}

QString ControlObjectName(int id, size_t index) {
  return id == res::kIdStatic ? QStringLiteral("static_%1").arg(index)
                              : QStringLiteral("control_%1").arg(id);
}

void BuildDialog(QDialog& dialog, const res::DialogTemplate& dialog_template) {
  dialog.setObjectName(QStringLiteral("dialog_%1").arg(dialog_template.id));
  dialog.setWindowTitle(QString::fromUtf8(dialog_template.caption));
  Qt::WindowFlags flags = Qt::Dialog | Qt::CustomizeWindowHint;
  if ((dialog_template.style & res::kCaption) != 0) flags |= Qt::WindowTitleHint;
  if ((dialog_template.style & res::kSysMenu) != 0)
    flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
  dialog.setWindowFlags(flags);
  QFont font = DialogFont(dialog_template);
  dialog.setFont(font);
  DialogBaseUnits units = MeasureBaseUnits(font);
  QRect client = MapDialogRect(units, 0, 0, dialog_template.width, dialog_template.height);
  dialog.setFixedSize(client.size());

  std::vector<QWidget*> tab_stops;
  QButtonGroup* radio_group = nullptr;
  for (size_t i = 0; i < dialog_template.control_count; ++i) {
    const res::DialogControl& control = dialog_template.controls[i];
    QWidget* widget = MakeControl(dialog, control, units, radio_group);
    widget->setObjectName(ControlObjectName(control.id, i));
    PlaceControl(*widget, control, units);
    bool focusable = control.kind != res::ControlKind::kStaticText &&
                     control.kind != res::ControlKind::kStaticIcon;
    if ((control.style & res::kTabStop) != 0) {
      widget->setFocusPolicy(Qt::StrongFocus);
      tab_stops.push_back(widget);
    } else if (focusable) {
      widget->setFocusPolicy(Qt::ClickFocus);
    } else {
      widget->setFocusPolicy(Qt::NoFocus);
    }
  }
  for (size_t i = 1; i < tab_stops.size(); ++i)
    QWidget::setTabOrder(tab_stops[i - 1], tab_stops[i]);
  // The first tab stop has the focus when the dialog opens.
  if (!tab_stops.empty()) tab_stops.front()->setFocus(Qt::OtherFocusReason);
}

QWidget* FindControl(const QWidget& dialog, int id) {
  return dialog.findChild<QWidget*>(ControlObjectName(id, 0), Qt::FindDirectChildrenOnly);
}

QIcon LoadResourceIcon(int id) {
  const char* const* xpm = res::FindIconXpm(id);
  return xpm == nullptr ? QIcon() : QIcon(QPixmap(xpm));
}

}  // namespace platform
