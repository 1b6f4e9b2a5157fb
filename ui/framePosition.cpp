// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2026 The Kestrova developers
#include "framePosition.h"

#include <QLayout>
#include <QWidget>
#include <QWindow>

void PlaceFrameAt(QWidget& window, QPoint position) {
  // Showing a widget sets its native window's geometry again, client area first, whenever the two
  // differ; so the widget's own geometry and size are made final before the native window is
  // asked to place its frame. The window manager then reads the position as the frame's.
  window.move(position);
  if (QLayout* layout = window.layout()) layout->activate();
  window.winId();  // makes the native window
  window.windowHandle()->setFramePosition(position);
}
