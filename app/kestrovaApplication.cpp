// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2026 The Kestrova developers
#include "kestrovaApplication.h"

#include <QFont>
#include <QIcon>
#include <QMessageBox>

#include "errorDisplay.h"

TKestrovaApplication::TKestrovaApplication(int& argc, char** argv) : QApplication(argc, argv) {
  setApplicationName(QString::fromUtf8(kTitle));
  setApplicationVersion(QStringLiteral(KESTROVA_VERSION));
  setDesktopFileName(QStringLiteral("kestrova"));
  setWindowIcon(QIcon(QStringLiteral(":/kestrova.xpm")));
  // The platform's sans serif at 8 points; fontconfig falls back to the CJK font for Chinese.
  setFont(QFont(QStringLiteral("Sans Serif"), 8));
  InstallErrorDisplay([this](const QString& message) { ShowError(message); });

  formSelectDir_.emplace();
  FormSelectDir = &*formSelectDir_;
  formAbout_.emplace();
  FormAbout = &*formAbout_;
}

TKestrovaApplication::~TKestrovaApplication() {
  InstallErrorDisplay(nullptr);
  FormAbout = nullptr;
  FormSelectDir = nullptr;
}

int TKestrovaApplication::Run() {
  FormSelectDir->show();
  return exec();
}

void TKestrovaApplication::ShowError(const QString& message) {
  QMessageBox box(QMessageBox::Critical, QString::fromUtf8(kTitle), ErrorDisplayText(message),
                  QMessageBox::Ok, activeWindow());
  box.exec();
}
