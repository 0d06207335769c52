// The draw area, colour primitives, clearing and reading the screen.
// Colours are packed red | green << 8 | blue << 16 (0x0000FF is red); a
// primitive in the sprite key colour is invisible while blending is on.
// Positions are pixels from the draw area's top-left corner; the draw area
// is the whole logical screen (the settings' screenWidth x screenHeight, however
// large the window) or the selected surface unless SetDrawArea narrowed it.
#pragma once

// A colour from its red, green and blue parts (0..255 each; parts outside
// that range are clamped), packed as every colour argument takes it.
constexpr int Rgb(int red, int green, int blue) {
  auto part = [](int v) { return v < 0 ? 0 : v > 255 ? 255 : v; };
  return part(red) | part(green) << 8 | part(blue) << 16;
}

namespace colours {

// Named colours, packed as Rgb packs them.
inline constexpr int kBlack = Rgb(0, 0, 0);
inline constexpr int kWhite = Rgb(255, 255, 255);
inline constexpr int kGrey = Rgb(128, 128, 128);
inline constexpr int kRed = Rgb(255, 0, 0);
inline constexpr int kGreen = Rgb(0, 255, 0);
inline constexpr int kBlue = Rgb(0, 0, 255);
inline constexpr int kYellow = Rgb(255, 255, 0);
inline constexpr int kCyan = Rgb(0, 255, 255);
inline constexpr int kMagenta = Rgb(255, 0, 255);
inline constexpr int kOrange = Rgb(255, 160, 0);
// The colour that sprites and fonts leave transparent until SetColourKey
// picks another: paint an image's background in it.
inline constexpr int kSpriteKey = Rgb(255, 0, 128);  // 0x8000FF

}  // namespace colours

// The area becomes the origin and the clip of all 2D drawing; a width or
// height <= 0 selects the whole target. Also turns sprite filtering back on.
void SetDrawArea(int x, int y, int width, int height);
// The current draw area.
void DrawArea(int& x, int& y, int& width, int& height);
void DrawArea(double& x, double& y, double& width, double& height);
// The logical screen's size in pixels (not the window's).
void ScreenSize(int& width, int& height);
void ScreenSize(double& width, double& height);
// Clears to black and drops the background image.
void ClearScreen();
// Sets one pixel to the packed colour.
void PlotPixel(int x, int y, int colour);
// A one-pixel line in the packed colour, both end pixels included.
void DrawLine(int x1, int y1, int x2, int y2, int colour);
// A filled rectangle of width x height pixels from (x, y) in the packed
// colour. Negative sizes extend left or up from (x, y), which stays inside.
void FillRect(int x, int y, int width, int height, int colour);
// Colour of a pixel of the current target (screen or surface); 0 outside.
int ReadPixel(int x, int y);
