// Makes the short movies the sound example and the movie tests play: a
// coloured test pattern with a tone, encoded by libmpv from its own
// generators, so no media file has to be stored or fetched.
//
//   clipgen OUT WIDTH HEIGHT SECONDS    (WIDTH and HEIGHT 0: sound only)
#include <mpv/client.h>

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char** argv) {
  if (argc != 5) {
    std::fprintf(stderr, "usage: clipgen OUT WIDTH HEIGHT SECONDS\n");
    return 2;
  }
  std::setlocale(LC_NUMERIC, "C");
  const std::string out = argv[1];
  const int w = std::atoi(argv[2]), h = std::atoi(argv[3]);
  const double seconds = std::atof(argv[4]);
  const bool soundOnly = w == 0 && h == 0;
  if ((!soundOnly && (w <= 0 || h <= 0)) || !(seconds > 0)) return 2;
  mpv_handle* mpv = mpv_create();
  if (!mpv) return 1;
  char size[64], video[256], audio[256];
  std::snprintf(size, sizeof size, "%dx%d", w, h);
  // One filter graph with a picture output and a sound output.
  std::snprintf(video, sizeof video,
                "av://lavfi:testsrc=size=%s:rate=25:duration=%g[out0];"
                "sine=frequency=440:duration=%g[out1]",
                size, seconds, seconds);
  std::snprintf(audio, sizeof audio, "av://lavfi:sine=frequency=440:duration=%g", seconds);
  const char* options[][2] = {{"config", "no"},    {"terminal", "yes"}, {"msg-level", "all=error"},
                              {"o", out.c_str()},  {"of", "matroska"},  {"ovc", "mpeg4"},
                              {"oac", "pcm_s16le"}};
  for (const auto& o : options) mpv_set_option_string(mpv, o[0], o[1]);
  if (mpv_initialize(mpv) < 0) return 1;
  const char* cmd[] = {"loadfile", soundOnly ? audio : video, nullptr};
  if (mpv_command(mpv, cmd) < 0) return 1;
  int status = 1;
  for (;;) {
    mpv_event* e = mpv_wait_event(mpv, 30);
    if (e->event_id == MPV_EVENT_NONE) break;  // timed out
    if (e->event_id == MPV_EVENT_END_FILE) {
      const auto* end = static_cast<mpv_event_end_file*>(e->data);
      status = end->reason == MPV_END_FILE_REASON_EOF ? 0 : 1;
      break;
    }
  }
  mpv_terminate_destroy(mpv);
  return status;
}
