// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2026 The Kestrova developers
#include "about.h"

#include "errorDisplay.h"
#include "framePosition.h"

TFormAbout* FormAbout = nullptr;

TFormAbout::TFormAbout(QWidget* parent) : QDialog(parent) {
  ui_.setupUi(this);
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
  setFixedSize(size());
  for (QLabel* label : {ui_.Label1, ui_.Label2, ui_.Label3, ui_.Label4, ui_.Label5}) {
    label->adjustSize();
  }
  PlaceFrameAt(*this, {368, 178});  // where it was designed to stand, not centred on the window
  connect(ui_.ButtonOk, &QPushButton::clicked, this, &TFormAbout::ButtonOkClick);
}

void TFormAbout::ButtonOkClick() {
  RunHandler([this] { close(); });
}
