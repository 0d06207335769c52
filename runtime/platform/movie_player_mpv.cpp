#include <GL/gl.h>
#include <mpv/client.h>
#include <mpv/render.h>
#include <mpv/render_gl.h>

#include <algorithm>
#include <clocale>
#include <string>

#include "runtime/platform/clock.h"
#include "runtime/platform/movie_player.h"
#include "runtime/platform/window.h"

namespace plat {
namespace {

// How long Open waits for the file to load and its first picture.
constexpr double kLoadTimeoutS = 5.0;

void* ProcAddress(void*, const char* name) {
  return GetProcAddress(name);
}

// libmpv draws correctly only from OpenGL's default state and leaves the
// scissor test and blending off, the viewport, scissor box, blend function
// and clear colour changed. A game draws with any of them set (the draw area
// is a scissor), so the state is taken down for the player and put back.
class GlStateForPlayer {
 public:
  GlStateForPlayer() {
    scissorOn_ = glIsEnabled(GL_SCISSOR_TEST);
    blendOn_ = glIsEnabled(GL_BLEND);
    glGetIntegerv(GL_VIEWPORT, viewport_);
    glGetIntegerv(GL_SCISSOR_BOX, scissor_);
    glGetIntegerv(GL_BLEND_SRC, &blendSrc_);
    glGetIntegerv(GL_BLEND_DST, &blendDst_);
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clear_);
    glDisable(GL_SCISSOR_TEST);
    glDisable(GL_BLEND);
  }
  ~GlStateForPlayer() {
    if (scissorOn_) glEnable(GL_SCISSOR_TEST);
    if (blendOn_) glEnable(GL_BLEND);
    glViewport(viewport_[0], viewport_[1], viewport_[2], viewport_[3]);
    glScissor(scissor_[0], scissor_[1], scissor_[2], scissor_[3]);
    glBlendFunc(static_cast<GLenum>(blendSrc_), static_cast<GLenum>(blendDst_));
    glClearColor(clear_[0], clear_[1], clear_[2], clear_[3]);
  }
  GlStateForPlayer(const GlStateForPlayer&) = delete;
  GlStateForPlayer& operator=(const GlStateForPlayer&) = delete;

 private:
  GLboolean scissorOn_, blendOn_;
  GLint viewport_[4], scissor_[4], blendSrc_, blendDst_;
  GLfloat clear_[4];
};

class MpvMoviePlayer final : public MoviePlayer {
 public:
  ~MpvMoviePlayer() override {
    // The render context goes first, while the GL context is still current.
    if (render_) mpv_render_context_free(render_);
    if (mpv_) mpv_terminate_destroy(mpv_);
  }

  bool Start() {
    mpv_ = mpv_create();
    if (!mpv_) return false;
    // A player embedded in a game: nothing from the user's mpv setup, no
    // keys or controller of its own, no terminal output.
    const char* options[][2] = {{"config", "no"},
                                {"load-scripts", "no"},
                                {"input-default-bindings", "no"},
                                {"input-vo-keyboard", "no"},
                                {"osc", "no"},
                                {"osd-level", "0"},
                                {"terminal", "no"},
                                {"ytdl", "no"},
                                {"vo", "libmpv"},
                                {"keep-open", "yes"},
                                {"audio-display", "no"},
                                {"keepaspect", "yes"},
                                {"background", "color"},
                                {"hwdec", "no"},
                                {"idle", "yes"},
                                {"pause", "yes"}};
    for (const auto& o : options) mpv_set_option_string(mpv_, o[0], o[1]);
    // The system's outputs directly, never through SDL: mpv would bring up
    // SDL's audio on its own thread while ours runs the mixer, and SDL's
    // set-up is not thread-safe. Where none works the movie plays silent.
    mpv_set_option_string(mpv_, "ao", "pipewire,pulse,alsa,jack,oss,null");
    if (mpv_initialize(mpv_) < 0) return false;
    mpv_opengl_init_params gl{ProcAddress, nullptr};
    int advanced = 0;
    mpv_render_param params[] = {
        {MPV_RENDER_PARAM_API_TYPE, const_cast<char*>(MPV_RENDER_API_TYPE_OPENGL)},
        {MPV_RENDER_PARAM_OPENGL_INIT_PARAMS, &gl},
        {MPV_RENDER_PARAM_ADVANCED_CONTROL, &advanced},
        {MPV_RENDER_PARAM_INVALID, nullptr}};
    return mpv_render_context_create(&render_, mpv_, params) >= 0;
  }

  bool Open(const std::string& path) override {
    const char* cmd[] = {"loadfile", path.c_str(), nullptr};
    if (mpv_command(mpv_, cmd) < 0) return false;
    // The file is ready at FILE_LOADED; a picture's size is known once the
    // video output was configured for it.
    bool loaded = false;
    const double deadline = NowMs() + kLoadTimeoutS * 1000;
    while (NowMs() < deadline) {
      mpv_event* e = mpv_wait_event(mpv_, 0.05);
      if (e->event_id == MPV_EVENT_END_FILE) return false;
      if (e->event_id == MPV_EVENT_FILE_LOADED) {
        loaded = true;
        if (!HasVideoTrack()) return true;
      }
      if (loaded && e->event_id == MPV_EVENT_VIDEO_RECONFIG) {
        // Keep the video chain moving so a paused start still decodes.
        RenderNothing();
        if (ReadSize()) return true;
      }
      if (loaded) RenderNothing();
    }
    return loaded;
  }

  bool VideoSize(int* w, int* h) override {
    if (width_ <= 0 || height_ <= 0) return false;
    *w = width_;
    *h = height_;
    return true;
  }

  bool Play() override { return mpv_set_property_string(mpv_, "pause", "no") >= 0; }

  void Restart() override {
    const char* cmd[] = {"seek", "0", "absolute", nullptr};
    mpv_command(mpv_, cmd);
    Play();
  }

  bool Ended() override {
    Drain();
    int eof = 0;
    if (mpv_get_property(mpv_, "eof-reached", MPV_FORMAT_FLAG, &eof) < 0) return ended_;
    return ended_ || eof != 0;
  }

  double PositionMs() override {
    double s = 0;
    return mpv_get_property(mpv_, "time-pos", MPV_FORMAT_DOUBLE, &s) < 0 ? 0 : s * 1000;
  }

  void Render(uint32_t fbo, int fboW, int fboH, const PixelRect& dest) override {
    Drain();
    if (fboW <= 0 || fboH <= 0) return;
    // The player fits and centres the picture itself; the margins pin it to
    // the rectangle the runtime chose. Each change makes it lay out anew, so
    // they are set only when the rectangle moves.
    const int placement[6] = {dest.x, dest.y, dest.w, dest.h, fboW, fboH};
    if (!std::equal(placement, placement + 6, placement_)) {
      std::copy(placement, placement + 6, placement_);
      SetMargin("video-margin-ratio-left", dest.x, fboW);
      SetMargin("video-margin-ratio-right", fboW - dest.x - dest.w, fboW);
      SetMargin("video-margin-ratio-top", dest.y, fboH);
      SetMargin("video-margin-ratio-bottom", fboH - dest.y - dest.h, fboH);
    }
    mpv_opengl_fbo target{static_cast<int>(fbo), fboW, fboH, 0};
    int flip = 1, block = 0;
    mpv_render_param params[] = {{MPV_RENDER_PARAM_OPENGL_FBO, &target},
                                 {MPV_RENDER_PARAM_FLIP_Y, &flip},
                                 {MPV_RENDER_PARAM_BLOCK_FOR_TARGET_TIME, &block},
                                 {MPV_RENDER_PARAM_INVALID, nullptr}};
    GlStateForPlayer saved;
    mpv_render_context_render(render_, params);
  }

 private:
  bool HasVideoTrack() {
    int64_t count = 0;
    mpv_get_property(mpv_, "track-list/count", MPV_FORMAT_INT64, &count);
    for (int64_t i = 0; i < count; ++i) {
      char* type = nullptr;
      const std::string key = "track-list/" + std::to_string(i) + "/type";
      if (mpv_get_property(mpv_, key.c_str(), MPV_FORMAT_STRING, &type) < 0) continue;
      const bool video = std::string(type) == "video";
      mpv_free(type);
      if (video) return true;
    }
    return false;
  }

  bool ReadSize() {
    int64_t w = 0, h = 0;
    if (mpv_get_property(mpv_, "dwidth", MPV_FORMAT_INT64, &w) < 0 ||
        mpv_get_property(mpv_, "dheight", MPV_FORMAT_INT64, &h) < 0 || w <= 0 || h <= 0) {
      return false;
    }
    width_ = static_cast<int>(w);
    height_ = static_cast<int>(h);
    return true;
  }

  // Lets the render side take the frame the core has waiting, so the core
  // is never stuck on us while we wait for its events.
  void RenderNothing() {
    if (mpv_render_context_update(render_) & MPV_RENDER_UPDATE_FRAME) {
      int skip = 1;
      mpv_render_param params[] = {{MPV_RENDER_PARAM_SKIP_RENDERING, &skip},
                                   {MPV_RENDER_PARAM_INVALID, nullptr}};
      GlStateForPlayer saved;
      mpv_render_context_render(render_, params);
    }
  }

  void Drain() {
    for (;;) {
      mpv_event* e = mpv_wait_event(mpv_, 0);
      if (e->event_id == MPV_EVENT_NONE) return;
      if (e->event_id == MPV_EVENT_END_FILE) ended_ = true;
    }
  }

  void SetMargin(const char* name, int pixels, int total) {
    double ratio = total > 0 ? static_cast<double>(pixels) / total : 0;
    if (ratio < 0) ratio = 0;
    if (ratio > 1) ratio = 1;
    mpv_set_property(mpv_, name, MPV_FORMAT_DOUBLE, &ratio);
  }

  mpv_handle* mpv_ = nullptr;
  mpv_render_context* render_ = nullptr;
  int width_ = 0, height_ = 0;
  int placement_[6] = {-1, -1, -1, -1, -1, -1};
  bool ended_ = false;
};

}  // namespace

std::unique_ptr<MoviePlayer> CreateMpvMoviePlayer() {
  // libmpv refuses to start unless numbers are formatted the C way.
  std::setlocale(LC_NUMERIC, "C");
  auto player = std::make_unique<MpvMoviePlayer>();
  if (!player->Start()) return nullptr;
  return player;
}

}  // namespace plat
