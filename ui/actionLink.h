// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2026 The Kestrova developers
#pragma once

class QAbstractButton;
class QAction;

// Makes a button or a menu item stand for `action`: it takes the action's caption and enabled
// state, now and whenever they change, and runs the action when clicked. A disabled action does
// not run.
void LinkToAction(QAbstractButton& button, QAction& action);
void LinkToAction(QAction& item, QAction& action);
