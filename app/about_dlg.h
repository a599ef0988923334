// The about box: dialog template 100, no data of its own; closes with OK, Enter, Escape or
// the close box.
#pragma once

#include <QDialog>

class CAboutDlg : public QDialog {
  Q_OBJECT

 public:
  explicit CAboutDlg(QWidget* parent = nullptr);
};
