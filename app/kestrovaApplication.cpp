// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2026 The Kestrova developers
#include "kestrovaApplication.h"

#include <QFont>
#include <QIcon>
#include <QLibraryInfo>
#include <QMessageBox>

#include "errorDisplay.h"

namespace {

QIcon ApplicationIcon() {
  QIcon icon;
  for (const int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
    icon.addFile(QStringLiteral(":/icons/hicolor/%1x%1/apps/" KESTROVA_APP_ID ".png").arg(size),
                 QSize(size, size));
  }
  return icon;
}

}  // namespace

TKestrovaApplication::TKestrovaApplication(int& argc, char** argv) : QApplication(argc, argv) {
  setApplicationName(QString::fromUtf8(kTitle));
  setApplicationVersion(QStringLiteral(KESTROVA_VERSION));
  setDesktopFileName(QStringLiteral(KESTROVA_APP_ID));
  setWindowIcon(ApplicationIcon());
  // Qt's own texts (message box buttons, the path field's context menu) in Chinese like the rest
  // of the window, whatever the desktop's language. Without the translations installed they stay
  // in English, and nothing else changes.
  if (qtTranslator_.load(QLocale(QLocale::Chinese, QLocale::China), QStringLiteral("qtbase"),
                         QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    installTranslator(&qtTranslator_);
  }
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
