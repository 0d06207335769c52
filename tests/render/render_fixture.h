// The render layer on a window's context of its own (no engine): the logical screen
// bound with a one-unit-per-pixel projection and the 2D baseline, and the
// texture cache forgotten before and after each test, since tests bind
// textures past it.
#pragma once

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "runtime/render/draw_state.h"
#include "runtime/render/framebuffers.h"
#include "runtime/render/screen_buffer.h"
#include "runtime/render/textures.h"
#include "screen_fixture.h"

class RenderLayer : public testing::Test {
 public:
  static void SetUpTestSuite() { testenv::SharedScreen(); }

  void SetUp() override {
    BindScreen();
    render::LoadPixelProjection(LogicalScreen().width, LogicalScreen().height);
    render::Reset2DState();
    render::ForgetTextureUnits();
    render::BindDrawTextures(false, 0, false, 0);
    render::SetClearColour(0, 0, 0, 1);
    render::ClearColour();
  }

  void TearDown() override {
    render::ForgetTextureUnits();
    render::BindDrawTextures(false, 0, false, 0);
    BindScreen();
  }

  // The logical screen's pixel at (x, y), y downwards, as 0xBBGGRR.
  static uint32_t ScreenPixel(int x, int y) {
    render::BindReadTarget(ScreenReadFramebuffer());
    uint8_t rgb[3] = {0, 0, 0};
    render::ReadPixels(x, LogicalScreen().height - 1 - y, 1, 1, render::PixelLayout::Rgb, rgb);
    BindScreen();
    return rgb[0] | rgb[1] << 8 | rgb[2] << 16;
  }

  static GLint Integer(GLenum name) {
    GLint value = 0;
    glGetIntegerv(name, &value);
    return value;
  }
};
