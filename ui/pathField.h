// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2026 The Kestrova developers
#pragma once

#include <QLineEdit>
#include <string>

#include "displayText.h"

// The read-only field that shows the chosen folder. It keeps the path's raw bytes beside the text
// it shows, so that a folder whose name is not valid UTF-8 is still the one listed.
class TPathField final : public QLineEdit {
  Q_OBJECT

 public:
  explicit TPathField(QWidget* parent = nullptr) : QLineEdit(parent) { setReadOnly(true); }

  void SetPath(std::string path) {
    path_ = std::move(path);
    setText(QString::fromStdString(kestrova::DisplayText(path_)));
  }
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
};
