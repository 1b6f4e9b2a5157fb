// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2026 The Kestrova developers
#pragma once

#include <QString>
#include <exception>
#include <functional>
#include <string_view>

// Where an error that ends an event handler is shown. The application installs its own display at
// start-up; until then, a plain message box stands in.
using TErrorDisplay = std::function<void(const QString& message)>;
void InstallErrorDisplay(TErrorDisplay display);
void ShowHandlerError(std::string_view message);

// The message as the error display shows it: with a full stop appended when its last character
// sorts after ".".
QString ErrorDisplayText(const QString& message);

// Runs an event handler's body so that no exception crosses Qt's event dispatch: an error ends the
// body and is shown, and the program goes on.
template <typename F>
void RunHandler(F&& body) {
  try {
    std::forward<F>(body)();
  } catch (const std::exception& error) {
    ShowHandlerError(error.what());
  } catch (...) {
    ShowHandlerError("Unknown error");
  }
}
