// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2026 The Kestrova developers
#include "statusBar.h"

#include <QLabel>

TStatusBar::TStatusBar(QWidget* parent) : QStatusBar(parent), text_(new QLabel(this)) {
  setSizeGripEnabled(false);
  addWidget(text_, 1);
}

void TStatusBar::SetStatusText(std::string_view text) {
  text_->setText(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
  repaint();
}

QString TStatusBar::StatusText() const { return text_->text(); }
