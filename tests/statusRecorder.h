// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2026 The Kestrova developers
#pragma once

#include <string>
#include <vector>

#include "outputDirTree.h"

namespace kestrova::testing {

class TStatusRecorder final : public TStatusReceiver {
 public:
  void SetStatusText(std::string_view text) override { texts.emplace_back(text); }
  std::vector<std::string> texts;
};

}  // namespace kestrova::testing
