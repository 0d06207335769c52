#include "runtime/frame/line_input.h"

#include "runtime/core/conversion.h"
#include "runtime/frame/frame_loop.h"
#include "runtime/input/keyboard.h"

namespace {

LineInputDrawing& Drawing() {
  static LineInputDrawing drawing;
  return drawing;
}

void Call(const std::function<void()>& f) {
  if (f) f();
}

void DrawLine(const std::string& shown, int x, int y) {
  Call(Drawing().drawKeptScreen);
  if (Drawing().print) Drawing().print(RtString(shown.c_str()), x, y);
}

}  // namespace

bool LineEditor::Step(int typed) {
  switch (typed) {
    case 0:
      if (++idleFrames_ >= kBlinkFrames) {
        idleFrames_ = 0;
        cursorShown_ = !cursorShown_;
      }
      return false;
    case '\n':
      return true;
    case '\b':
      if (!text_.empty()) text_.pop_back();
      return false;
    default:
      text_.push_back(static_cast<char>(typed));
      return false;
  }
}

void SetLineInputDrawing(LineInputDrawing drawing) {
  Drawing() = std::move(drawing);
}

void InputLine(RtString& text, int x, int y) {
  LineEditor editor(std::string(text.c_str(), text.Length()));
  Call(Drawing().keepScreen);
  DrawLine(editor.Shown(), x, y);
  EndFrame();
  for (;;) {
    const RtString typed = TypedChar();
    const int ch = typed.Length() ? static_cast<unsigned char>(typed.c_str()[0]) : 0;
    if (editor.Step(ch)) break;
    DrawLine(editor.Shown(), x, y);
    EndFrame();
  }
  Call(Drawing().releaseKeptScreen);
  text = RtString(editor.Text().c_str());
}

void InputLineInt(int32_t& value, int x, int y) {
  RtString text;
  InputLine(text, x, y);
  value = TextToInt(text);
}

void InputLineNumber(double& value, int x, int y) {
  RtString text;
  InputLine(text, x, y);
  value = TextToNumber(text);
}
