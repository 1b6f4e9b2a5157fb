// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2026 The Kestrova developers
#pragma once

#include <QPoint>

class QWidget;

// Puts a top-level window's outer frame, title bar included, at `position` on screen, where a
// plain move() before showing would put its client area there and the title bar above it. Call
// it once the window's contents are complete: it fixes the window's size and makes its native
// window.
void PlaceFrameAt(QWidget& window, QPoint position);
