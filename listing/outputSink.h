// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2026 The Kestrova developers
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string_view>

namespace kestrova {

// A 24-bit RGB text colour.
struct TColor {
  std::uint8_t red = 0;
  std::uint8_t green = 0;
  std::uint8_t blue = 0;

  friend constexpr bool operator==(TColor, TColor) = default;
};

inline constexpr TColor clBlue{0, 0, 255};
inline constexpr TColor clGreen{0, 128, 0};
inline constexpr TColor clRed{255, 0, 0};

inline constexpr std::string_view kLineInsertionErrorMessage = "RichEdit line insertion error";

// Raised by AddLine when a line cannot be appended whole; the lines before it stay.
class ELineInsertionError : public std::runtime_error {
 public:
  ELineInsertionError() : std::runtime_error(std::string(kLineInsertionErrorMessage)) {}
};

// A line-oriented text output with one set of current attributes. Every line is drawn, whole, in
// the attributes current when it is added; changing them later never alters a line already added.
class TOutputSink {
 public:
  virtual ~TOutputSink() = default;

  virtual void Clear() = 0;
  // True sets bold alone; false clears bold, italic, underline and strike-out.
  virtual void SetBold(bool bold) = 0;
  virtual void SetColor(TColor color) = 0;
  // Appends text (UTF-8, no line break of its own) as the new last line.
  virtual void AddLine(std::string_view text) = 0;
};

}  // namespace kestrova
