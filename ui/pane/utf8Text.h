// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2026 The Kestrova developers
#pragma once

#include <cstddef>
#include <string_view>

// The pane keeps its text as UTF-8 but speaks in UTF-16 offsets, as Qt does. These map one to the
// other within a line without building a QString. Bytes that are not valid UTF-8 count as one
// unit each, as QString::fromUtf8 turns each into one replacement character.

// The UTF-16 length of `text`.
std::size_t Utf16Length(std::string_view text);
// The byte offset of UTF-16 column `column` in `text`; past the end, the end.
std::size_t ByteOffsetOfColumn(std::string_view text, std::size_t column);
// The UTF-16 column of byte offset `offset` (at a character boundary) in `text`.
std::size_t ColumnOfByteOffset(std::string_view text, std::size_t offset);
