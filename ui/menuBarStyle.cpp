// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2026 The Kestrova developers
#include "menuBarStyle.h"

#include <QStyleOptionMenuItem>
#include <QWidget>

void TMenuBarStyle::drawControl(ControlElement element, const QStyleOption* option,
                                QPainter* painter, const QWidget* widget) const {
  // The menu bar holds the keyboard focus only while it is driven from the keyboard.
  const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
  if (element == CE_MenuBarItem && item != nullptr && (item->state & State_Selected) &&
      widget != nullptr && widget->hasFocus()) {
    QStyleOptionMenuItem highlighted = *item;
    highlighted.state |= State_Sunken;
    return QProxyStyle::drawControl(element, &highlighted, painter, widget);
  }
  QProxyStyle::drawControl(element, option, painter, widget);
}
