// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2026 The Kestrova developers
#pragma once

#include <QApplication>
#include <QTranslator>
#include <optional>

#include "about.h"
#include "selectDir.h"

// The program: its title, its icon, Qt's texts in Chinese, its error display, and its two windows,
// created once at start-up (the main window first, then the About dialog) and kept for the whole
// run.
class TKestrovaApplication final : public QApplication {
  Q_OBJECT

 public:
  static constexpr const char* kTitle = "Kestrova";

  TKestrovaApplication(int& argc, char** argv);
  ~TKestrovaApplication() override;

  // Shows the main window and runs the event loop until it closes.
  int Run();
  // A message box with the title as caption, an error icon and an OK button.
  void ShowError(const QString& message);

 private:
  QTranslator qtTranslator_;
  std::optional<TFormSelectDir> formSelectDir_;
  std::optional<TFormAbout> formAbout_;
};
