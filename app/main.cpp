// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2026 The Kestrova developers
#include "kestrovaApplication.h"

int main(int, char** argv) {
  // The program reads nothing from its command line, not even Qt's own options.
  int argc = 1;
  TKestrovaApplication application(argc, argv);
  return application.Run();
}
