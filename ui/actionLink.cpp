// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2026 The Kestrova developers
#include "actionLink.h"

#include <QAbstractButton>
#include <QAction>

namespace {

template <typename T>
void Follow(T& follower, QAction& action) {
  const auto update = [&follower, &action] {
    follower.setText(action.text());
    follower.setEnabled(action.isEnabled());
  };
  update();
  QObject::connect(&action, &QAction::changed, &follower, update);
}

}  // namespace

void LinkToAction(QAbstractButton& button, QAction& action) {
  Follow(button, action);
  QObject::connect(&button, &QAbstractButton::clicked, &action, [&action] { action.trigger(); });
}

void LinkToAction(QAction& item, QAction& action) {
  Follow(item, action);
  QObject::connect(&item, &QAction::triggered, &action, [&action] { action.trigger(); });
}
