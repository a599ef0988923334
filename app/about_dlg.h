// The about box: dialog template 100 with the program's version line; closes with OK, Enter,
// Escape or the close box.
#pragma once

#include <QDialog>
#include <string>

class CAboutDlg : public QDialog {
  Q_OBJECT

 public:
  // An empty version_line keeps the template's.
  explicit CAboutDlg(const std::string& version_line, QWidget* parent = nullptr);
};
