// Reads a video file back with FFmpeg's libraries, independently of the
// runtime's writer: frame count, durations, chosen pictures as RGB and the
// whole sound track, for tests that check what a recording holds.
#pragma once

#include <cmath>
#include <cstdint>
#include <set>
#include <string>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libswresample/swresample.h>
}

namespace testvideo {

struct Probe {
  std::string error;  // empty when the file was read
  std::string videoCodec, audioCodec;
  long frames = 0;            // pictures decoded
  double durationS = 0;       // the container's duration
  double videoDurationS = 0;  // frames at the stream's frame rate
  double frameRate = 0;
  int width = 0, height = 0;
  std::vector<std::vector<uint8_t>> pictures;  // RGB, top-down, for keep's frames in order
  std::vector<int16_t> sound;                  // stereo interleaved at soundRate
  int soundRate = 0;
};

// BT.601, limited range: the textbook integer formulas.
inline std::vector<uint8_t> Yuv420ToRgb(const AVFrame* f) {
  std::vector<uint8_t> rgb(static_cast<size_t>(f->width) * f->height * 3);
  auto clip = [](int v) { return static_cast<uint8_t>(v < 0 ? 0 : v > 255 ? 255 : v); };
  for (int y = 0; y < f->height; ++y) {
    for (int x = 0; x < f->width; ++x) {
      const int c = f->data[0][y * f->linesize[0] + x] - 16;
      const int d = f->data[1][(y / 2) * f->linesize[1] + x / 2] - 128;
      const int e = f->data[2][(y / 2) * f->linesize[2] + x / 2] - 128;
      uint8_t* p = &rgb[(static_cast<size_t>(y) * f->width + x) * 3];
      p[0] = clip((298 * c + 409 * e + 128) >> 8);
      p[1] = clip((298 * c - 100 * d - 208 * e + 128) >> 8);
      p[2] = clip((298 * c + 516 * d + 128) >> 8);
    }
  }
  return rgb;
}

// keep: frame numbers (from 0) whose pictures are kept.
inline Probe ReadVideo(const std::string& path, const std::set<long>& keep = {}) {
  av_log_set_level(AV_LOG_ERROR);
  Probe p;
  AVFormatContext* fmt = nullptr;
  if (avformat_open_input(&fmt, path.c_str(), nullptr, nullptr) < 0) {
    p.error = "cannot open " + path;
    return p;
  }
  AVCodecContext* dec[2] = {nullptr, nullptr};
  int index[2] = {-1, -1};
  SwrContext* swr = nullptr;
  AVPacket* pkt = av_packet_alloc();
  AVFrame* frame = av_frame_alloc();
  AVChannelLayout stereo{};
  av_channel_layout_default(&stereo, 2);
  auto finish = [&]() {
    for (auto*& c : dec) avcodec_free_context(&c);
    swr_free(&swr);
    av_packet_free(&pkt);
    av_frame_free(&frame);
    av_channel_layout_uninit(&stereo);
    avformat_close_input(&fmt);
  };
  if (avformat_find_stream_info(fmt, nullptr) < 0) {
    p.error = "no stream info";
    finish();
    return p;
  }
  p.durationS = fmt->duration > 0 ? fmt->duration / static_cast<double>(AV_TIME_BASE) : 0;
  const AVMediaType types[2] = {AVMEDIA_TYPE_VIDEO, AVMEDIA_TYPE_AUDIO};
  for (int t = 0; t < 2; ++t) {
    const AVCodec* codec = nullptr;
    index[t] = av_find_best_stream(fmt, types[t], -1, -1, &codec, 0);
    if (index[t] < 0 || !codec) continue;
    dec[t] = avcodec_alloc_context3(codec);
    avcodec_parameters_to_context(dec[t], fmt->streams[index[t]]->codecpar);
    if (avcodec_open2(dec[t], codec, nullptr) < 0) {
      p.error = "cannot decode stream " + std::to_string(t);
      finish();
      return p;
    }
    (t == 0 ? p.videoCodec : p.audioCodec) = codec->name;
  }
  if (index[0] >= 0) {
    const AVRational r = fmt->streams[index[0]]->avg_frame_rate;
    p.frameRate = r.den ? av_q2d(r) : 0;
    p.width = dec[0]->width;
    p.height = dec[0]->height;
  }
  auto take = [&](int t) {
    while (avcodec_receive_frame(dec[t], frame) == 0) {
      if (t == 0) {
        if (keep.count(p.frames)) {
          if (frame->format != AV_PIX_FMT_YUV420P) p.error = "pictures are not 4:2:0";
          p.pictures.push_back(Yuv420ToRgb(frame));
        }
        ++p.frames;
      } else {
        if (!swr) {
          p.soundRate = frame->sample_rate;
          swr_alloc_set_opts2(&swr, &stereo, AV_SAMPLE_FMT_S16, frame->sample_rate,
                              &frame->ch_layout, static_cast<AVSampleFormat>(frame->format),
                              frame->sample_rate, 0, nullptr);
          swr_init(swr);
        }
        const size_t at = p.sound.size();
        const int room = swr_get_out_samples(swr, frame->nb_samples);
        p.sound.resize(at + static_cast<size_t>(room) * 2);
        uint8_t* out[1] = {reinterpret_cast<uint8_t*>(p.sound.data() + at)};
        const int got = swr_convert(
            swr, out, room, const_cast<const uint8_t**>(frame->extended_data), frame->nb_samples);
        p.sound.resize(at + static_cast<size_t>(got > 0 ? got : 0) * 2);
      }
      av_frame_unref(frame);
    }
  };
  while (av_read_frame(fmt, pkt) >= 0) {
    for (int t = 0; t < 2; ++t) {
      if (dec[t] && pkt->stream_index == index[t]) {
        avcodec_send_packet(dec[t], pkt);
        take(t);
      }
    }
    av_packet_unref(pkt);
  }
  for (int t = 0; t < 2; ++t) {
    if (!dec[t]) continue;
    avcodec_send_packet(dec[t], nullptr);
    take(t);
  }
  if (p.frameRate > 0) p.videoDurationS = p.frames / p.frameRate;
  finish();
  return p;
}

// Peak signal-to-noise ratio of two RGB pictures of one size, in dB
// (infinity when they are equal).
inline double Psnr(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
  if (a.size() != b.size() || a.empty()) return 0;
  double sum = 0;
  for (size_t i = 0; i < a.size(); ++i) {
    const double d = static_cast<double>(a[i]) - b[i];
    sum += d * d;
  }
  if (sum == 0) return INFINITY;
  return 10 * std::log10(255.0 * 255.0 / (sum / static_cast<double>(a.size())));
}

// Root mean square of the sound (both channels) from second `from` to `to`.
inline double Rms(const Probe& p, double from, double to) {
  if (p.soundRate <= 0) return 0;
  const size_t a = static_cast<size_t>(std::max(0.0, from) * p.soundRate) * 2;
  const size_t b =
      std::min(p.sound.size(), static_cast<size_t>(std::max(0.0, to) * p.soundRate) * 2);
  if (b <= a) return 0;
  double sum = 0;
  for (size_t i = a; i < b; ++i) sum += static_cast<double>(p.sound[i]) * p.sound[i];
  return std::sqrt(sum / static_cast<double>(b - a));
}

}  // namespace testvideo
