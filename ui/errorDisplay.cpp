// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2026 The Kestrova developers
#include "errorDisplay.h"

#include <QApplication>
#include <QMessageBox>

namespace {

TErrorDisplay& InstalledDisplay() {
  static TErrorDisplay display;
  return display;
}

}  // namespace

void InstallErrorDisplay(TErrorDisplay display) { InstalledDisplay() = std::move(display); }

QString ErrorDisplayText(const QString& message) {
  if (!message.isEmpty() && message.back() > QLatin1Char('.')) return message + QLatin1Char('.');
  return message;
}

void ShowHandlerError(std::string_view message) {
  const QString text = QString::fromUtf8(message.data(), static_cast<qsizetype>(message.size()));
  if (InstalledDisplay()) {
    InstalledDisplay()(text);
  } else {
    QMessageBox::critical(QApplication::activeWindow(), QApplication::applicationName(),
                          ErrorDisplayText(text));
  }
}
