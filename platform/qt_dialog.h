// Builds a Qt dialog from a dialog template of res/: positions from dialog units as Windows
// converts them, tab order = template order, the default button, and object names made from
// the control ids so that code and tests find every control.
#pragma once

#include <QFont>
#include <QIcon>
#include <QRect>
#include <QString>

#include "res/dialog_templates.h"

class QDialog;
class QWidget;

namespace platform {

// Pixels per 4 horizontal and per 8 vertical dialog units: the font's average character
// width (over "A".."Z" "a".."z", rounded as Windows does) and its character height.
struct DialogBaseUnits {
  int x = 0;
  int y = 0;
};
DialogBaseUnits MeasureBaseUnits(const QFont& font);

// A rectangle in dialog units in pixels (each value rounded to nearest, halves away from 0).
QRect MapDialogRect(const DialogBaseUnits& units, int x, int y, int width, int height);

// The template's font at its point size; the Windows dialog font falls back to the desktop's
// sans-serif font where it is not installed.
QFont DialogFont(const res::DialogTemplate& dialog_template);

// "control_<id>" for a control with an id; "static_<index in the template>" for the others.
QString ControlObjectName(int id, size_t index);

// Gives dialog the template's caption, font, fixed size and frame, and one child widget per
// control: push buttons (QPushButton), one-line edits (QLineEdit), multi-line edits
// (QPlainTextEdit), labels and icons (QLabel), radio buttons (QRadioButton).
void BuildDialog(QDialog& dialog, const res::DialogTemplate& dialog_template);

// The control with this id below dialog; nullptr when there is none.
QWidget* FindControl(const QWidget& dialog, int id);
template <class Widget>
Widget* FindControlAs(const QWidget& dialog, int id) {
  return qobject_cast<Widget*>(FindControl(dialog, id));
}

// The icon resource with this id; a null icon when there is none.
QIcon LoadResourceIcon(int id);

}  // namespace platform
