// Typing a line of text on the screen: InputLine runs frames of its own
// until Enter is typed, keeping the screen behind the line in background
// slot 3 and printing the line with the current font.
#pragma once

#include <cstdint>
#include <string>

#include "runtime/core/rt_string.h"

// Edits text at (x, y) until Enter; text then holds the line.
void InputLine(RtString& text, int x, int y);
// InputLine on an empty text, then the line as an integer or a number.
void InputLineInt(int32_t& value, int x, int y);
void InputLineNumber(double& value, int x, int y);  // See InputLineInt.

// The editing of one line, a frame at a time.
class LineEditor {
 public:
  static constexpr int kBlinkFrames = 21;

  explicit LineEditor(std::string text) : text_(std::move(text)) {}
  // Applies the character typed this frame (0 for none). True once Enter
  // (line feed) came.
  bool Step(int typed);
  const std::string& Text() const { return text_; }
  // The text with the cursor "_" while it shows.
  std::string Shown() const { return cursorShown_ ? text_ + "_" : text_; }

 private:
  std::string text_;
  int idleFrames_ = 0;
  bool cursorShown_ = false;
};
