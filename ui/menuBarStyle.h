// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2026 The Kestrova developers
#pragma once

#include <QProxyStyle>

// The desktop's style for a menu bar, except that the menu reached from the keyboard (a lone Alt,
// then the arrow keys) is drawn highlighted as when it is open: Fusion highlights a menu bar item
// only while its menu is open or pressed, so without this the keyboard would move through the
// menu bar unseen.
class TMenuBarStyle final : public QProxyStyle {
  Q_OBJECT

 public:
  using QProxyStyle::QProxyStyle;

  void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                   const QWidget* widget) const override;
};
