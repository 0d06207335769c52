#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <random>

#include "runtime/platform/sound_mixer.h"
#include "runtime/platform/video_writer.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/audio_fifo.h>
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
#include <libswresample/swresample.h>
}

namespace plat {
namespace {

// Both Opus and AAC are at home at 48 kHz; the mixer's 22,050 is resampled.
constexpr int kTrackRate = 48000;

// The libraries' own chatter (encoder statistics, decoder warnings) would
// bury the program's messages; errors still come through.
void QuietLibraries() {
  static const bool quiet = [] {
    av_log_set_level(AV_LOG_ERROR);
    return true;
  }();
  (void)quiet;
}

std::string AvError(int code) {
  char text[AV_ERROR_MAX_STRING_SIZE] = {};
  av_strerror(code, text, sizeof text);
  return text;
}

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

struct Container {
  const char* muxer;
  const char* video;
  const char* audio;
  int videoId;
  int audioId;
};

bool ContainerFor(const std::string& path, Container* out) {
  const size_t dot = path.find_last_of('.');
  const size_t slash = path.find_last_of('/');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return false;
  const std::string ending = Lower(path.substr(dot + 1));
  if (ending == "mp4" || ending == "m4v") {
    *out = {"mp4", "libx264", "aac", AV_CODEC_ID_H264, AV_CODEC_ID_AAC};
  } else if (ending == "mkv") {
    *out = {"matroska", "libx264", "aac", AV_CODEC_ID_H264, AV_CODEC_ID_AAC};
  } else if (ending == "webm") {
    *out = {"webm", "libvpx-vp9", "libopus", AV_CODEC_ID_VP9, AV_CODEC_ID_OPUS};
  } else {
    return false;
  }
  return true;
}

// The named encoder, or the library's own for the codec when the named one
// was left out of this build (never an experimental or hardware one).
const AVCodec* FindEncoder(const char* name, int id) {
  if (const AVCodec* c = avcodec_find_encoder_by_name(name)) return c;
  const AVCodec* c = avcodec_find_encoder(static_cast<AVCodecID>(id));
  if (!c || (c->capabilities & (AV_CODEC_CAP_EXPERIMENTAL | AV_CODEC_CAP_HARDWARE))) return nullptr;
  return c;
}

// The hidden file a video is written to: beside its final name, so the
// rename at the end stays on one file system, and unique to this process.
int CreateHiddenFile(const std::string& path, std::string* hidden, std::string* error) {
  const size_t slash = path.find_last_of('/');
  const std::string dir = slash == std::string::npos ? "" : path.substr(0, slash + 1);
  const std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
  if (base.empty()) {
    *error = path + " names a folder, not a file";
    return -1;
  }
  struct stat st {};
  if (::stat(path.c_str(), &st) == 0 && !S_ISREG(st.st_mode)) {
    *error = path + " exists and is not a regular file";
    return -1;
  }
  static std::atomic<unsigned> counter{0};
  std::random_device seed;
  for (int attempt = 0; attempt < 16; ++attempt) {
    const std::string name = dir + "." + base + ".part-" + std::to_string(::getpid()) + "-" +
                             std::to_string(counter++) + "-" + std::to_string(seed() % 100000);
    const int fd = ::open(name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0) {
      *hidden = name;
      return fd;
    }
    if (errno != EEXIST) {
      *error = "cannot write " + path + ": " + std::strerror(errno);
      return -1;
    }
  }
  *error = "cannot write " + path + ": no free temporary name beside it";
  return -1;
}

class FfmpegVideoWriter final : public VideoWriter {
 public:
  ~FfmpegVideoWriter() override { Close(!finished_); }

  bool Open(const std::string& path, int scale, std::string* error) {
    Container c{};
    if (!ContainerFor(path, &c)) {
      *error = path + ": a video file's name must end in .mp4, .mkv or .webm";
      return false;
    }
    if (scale < 1 || scale > kMaxVideoScale) {
      *error = "the video scale must be 1 to " + std::to_string(kMaxVideoScale);
      return false;
    }
    container_ = c;
    videoCodec_ = FindEncoder(c.video, c.videoId);
    audioCodec_ = FindEncoder(c.audio, c.audioId);
    if (!videoCodec_ || !audioCodec_) {
      *error = std::string("the installed FFmpeg libraries have no ") +
               (!videoCodec_ ? c.video : c.audio) + " encoder for " + path;
      return false;
    }
    scale_ = scale;
    path_ = path;
    fd_ = CreateHiddenFile(path, &hidden_, error);
    return fd_ >= 0;
  }

  bool AddFrame(const uint8_t* rgb, int width, int height, int rowBytes, bool bottomUp) override {
    if (failed_ || finished_) return Fail(failed_ ? error_ : "the video is finished");
    if (!rgb || width <= 0 || height <= 0 || rowBytes < width * 3) {
      return Fail("a frame without pixels");
    }
    if (!started_ && !Start(width, height)) return false;
    ScaleInto(rgb, width, height, rowBytes, bottomUp);
    int rc = av_frame_make_writable(picture_);
    if (rc < 0) return Fail("cannot prepare a picture: " + AvError(rc));
    ToYuv420();
    picture_->pts = frames_;
    if (!Encode(videoCtx_, videoStream_, picture_)) return false;
    ++frames_;
    return true;
  }

  bool AddSound(const int16_t* samples, int frames) override {
    if (failed_ || finished_) return Fail(failed_ ? error_ : "the video is finished");
    if (!started_) return Fail("sound before the first frame");
    if (frames <= 0) return true;
    const uint8_t* in[1] = {reinterpret_cast<const uint8_t*>(samples)};
    return Resample(in, frames);
  }

  bool Finish() override {
    if (finished_) return true;
    if (failed_) return false;
    if (!started_) return Fail("no frame was recorded");
    // What the resampler still holds, then the short last block.
    if (!Resample(nullptr, 0) || !DrainSound(true)) return false;
    if (!Encode(audioCtx_, audioStream_, nullptr) || !Encode(videoCtx_, videoStream_, nullptr)) {
      return false;
    }
    int rc = av_write_trailer(format_);
    if (rc < 0) return Fail("cannot complete the file: " + AvError(rc));
    avio_flush(format_->pb);
    if (ioFailed_) return Fail(ioError_);
    if (::fsync(fd_) != 0 && errno != EINVAL) {
      return Fail(std::string("cannot write the file: ") + std::strerror(errno));
    }
    if (::close(fd_) != 0) {
      fd_ = -1;
      return Fail(std::string("cannot write the file: ") + std::strerror(errno));
    }
    fd_ = -1;
    if (std::rename(hidden_.c_str(), path_.c_str()) != 0) {
      return Fail("cannot name the file " + path_ + ": " + std::strerror(errno));
    }
    hidden_.clear();
    finished_ = true;
    Close(false);
    return true;
  }

  const std::string& Error() const override { return error_; }
  long Frames() const override { return frames_; }

 private:
  bool Fail(const std::string& why) {
    if (!failed_) error_ = why;
    failed_ = true;
    Close(true);
    return false;
  }

  // Frees everything; removes the hidden file unless it became the video.
  void Close(bool removeFile) {
    if (format_) {
      if (format_->pb) {
        av_freep(&format_->pb->buffer);
        avio_context_free(&format_->pb);
      }
      avformat_free_context(format_);
      format_ = nullptr;
    }
    avcodec_free_context(&videoCtx_);
    avcodec_free_context(&audioCtx_);
    av_frame_free(&picture_);
    av_frame_free(&block_);
    av_packet_free(&packet_);
    swr_free(&swr_);
    if (fifo_) av_audio_fifo_free(fifo_);
    fifo_ = nullptr;
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    if (removeFile && !hidden_.empty()) ::unlink(hidden_.c_str());
    hidden_.clear();
  }

  static int WritePacket(void* opaque, uint8_t* buf, int size) {
    auto* self = static_cast<FfmpegVideoWriter*>(opaque);
    int left = size;
    while (left > 0) {
      const ssize_t n = ::write(self->fd_, buf + (size - left), static_cast<size_t>(left));
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) {
        self->ioFailed_ = true;
        self->ioError_ =
            std::string("cannot write the file: ") + std::strerror(n < 0 ? errno : ENOSPC);
        return AVERROR(EIO);
      }
      left -= static_cast<int>(n);
    }
    return size;
  }

  static int64_t Seek(void* opaque, int64_t offset, int whence) {
    auto* self = static_cast<FfmpegVideoWriter*>(opaque);
    if (whence & AVSEEK_SIZE) {
      struct stat st {};
      return ::fstat(self->fd_, &st) == 0 ? static_cast<int64_t>(st.st_size) : AVERROR(errno);
    }
    const off_t at = ::lseek(self->fd_, static_cast<off_t>(offset), whence & ~AVSEEK_FORCE);
    return at < 0 ? AVERROR(errno) : static_cast<int64_t>(at);
  }

  bool Start(int width, int height) {
    started_ = true;
    firstW_ = width;
    firstH_ = height;
    outW_ = (width * scale_ + 1) & ~1;
    outH_ = (height * scale_ + 1) & ~1;
    int rc = avformat_alloc_output_context2(&format_, nullptr, container_.muxer, nullptr);
    if (rc < 0 || !format_) return Fail(std::string("no ") + container_.muxer + " writer");
    auto* buffer = static_cast<uint8_t*>(av_malloc(1 << 16));
    if (!buffer) return Fail("out of memory");
    format_->pb = avio_alloc_context(buffer, 1 << 16, 1, this, nullptr, &WritePacket, &Seek);
    if (!format_->pb) {
      av_free(buffer);
      return Fail("out of memory");
    }
    format_->flags |= AVFMT_FLAG_CUSTOM_IO;
    packet_ = av_packet_alloc();
    if (!packet_ || !OpenVideo() || !OpenAudio()) return failed_ ? false : Fail("out of memory");
    rc = avformat_write_header(format_, nullptr);
    if (rc < 0) return Fail("cannot start the file: " + (ioFailed_ ? ioError_ : AvError(rc)));
    return true;
  }

  bool OpenVideo() {
    videoStream_ = avformat_new_stream(format_, nullptr);
    videoCtx_ = avcodec_alloc_context3(videoCodec_);
    if (!videoStream_ || !videoCtx_) return false;
    videoCtx_->width = outW_;
    videoCtx_->height = outH_;
    videoCtx_->pix_fmt = AV_PIX_FMT_YUV420P;
    videoCtx_->time_base = AVRational{1, kFramesPerSecond};
    videoCtx_->framerate = AVRational{kFramesPerSecond, 1};
    videoCtx_->gop_size = 2 * kFramesPerSecond;
    // The pictures are converted with the BT.601 matrix in limited range;
    // saying so lets players convert them back to the same colours.
    videoCtx_->color_range = AVCOL_RANGE_MPEG;
    videoCtx_->colorspace = AVCOL_SPC_SMPTE170M;
    videoCtx_->color_primaries = AVCOL_PRI_BT709;
    videoCtx_->color_trc = AVCOL_TRC_IEC61966_2_1;
    if (container_.videoId == AV_CODEC_ID_H264) {
      // Flat-coloured, sharp-edged pictures: a low rate factor keeps the
      // edges clean, and the fast preset keeps a recording near real time.
      av_opt_set(videoCtx_->priv_data, "preset", "veryfast", 0);
      av_opt_set(videoCtx_->priv_data, "crf", "18", 0);
    } else {
      av_opt_set(videoCtx_->priv_data, "deadline", "realtime", 0);
      av_opt_set(videoCtx_->priv_data, "cpu-used", "8", 0);
      av_opt_set(videoCtx_->priv_data, "row-mt", "1", 0);
      av_opt_set(videoCtx_->priv_data, "crf", "24", 0);
      videoCtx_->bit_rate = 0;
    }
    if (format_->oformat->flags & AVFMT_GLOBALHEADER) {
      videoCtx_->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    }
    int rc = avcodec_open2(videoCtx_, videoCodec_, nullptr);
    if (rc < 0)
      return Fail(std::string("cannot start the ") + videoCodec_->name +
                  " encoder: " + AvError(rc));
    rc = avcodec_parameters_from_context(videoStream_->codecpar, videoCtx_);
    if (rc < 0) return Fail("cannot describe the video stream: " + AvError(rc));
    videoStream_->time_base = videoCtx_->time_base;
    videoStream_->avg_frame_rate = videoCtx_->framerate;
    videoStream_->r_frame_rate = videoCtx_->framerate;

    picture_ = av_frame_alloc();
    if (!picture_) return false;
    picture_->format = AV_PIX_FMT_YUV420P;
    picture_->width = outW_;
    picture_->height = outH_;
    if (av_frame_get_buffer(picture_, 0) < 0) return false;
    scaled_.resize(static_cast<size_t>(outW_) * outH_ * 3);
    return true;
  }

  bool OpenAudio() {
    audioStream_ = avformat_new_stream(format_, nullptr);
    audioCtx_ = avcodec_alloc_context3(audioCodec_);
    if (!audioStream_ || !audioCtx_) return false;
    audioCtx_->sample_rate = kTrackRate;
    av_channel_layout_default(&audioCtx_->ch_layout, 2);
    audioCtx_->sample_fmt =
        audioCodec_->sample_fmts ? audioCodec_->sample_fmts[0] : AV_SAMPLE_FMT_FLTP;
    audioCtx_->bit_rate = 160000;
    audioCtx_->time_base = AVRational{1, kTrackRate};
    if (format_->oformat->flags & AVFMT_GLOBALHEADER) {
      audioCtx_->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    }
    int rc = avcodec_open2(audioCtx_, audioCodec_, nullptr);
    if (rc < 0)
      return Fail(std::string("cannot start the ") + audioCodec_->name +
                  " encoder: " + AvError(rc));
    rc = avcodec_parameters_from_context(audioStream_->codecpar, audioCtx_);
    if (rc < 0) return Fail("cannot describe the sound stream: " + AvError(rc));
    audioStream_->time_base = audioCtx_->time_base;
    blockFrames_ = audioCtx_->frame_size > 0 ? audioCtx_->frame_size : 1024;

    AVChannelLayout stereo{};
    av_channel_layout_default(&stereo, 2);
    rc = swr_alloc_set_opts2(&swr_, &audioCtx_->ch_layout, audioCtx_->sample_fmt, kTrackRate,
                             &stereo, AV_SAMPLE_FMT_S16, kMixerRate, 0, nullptr);
    av_channel_layout_uninit(&stereo);
    if (rc < 0 || !swr_ || swr_init(swr_) < 0) return Fail("cannot resample the sound track");
    fifo_ = av_audio_fifo_alloc(audioCtx_->sample_fmt, 2, blockFrames_ * 4);
    block_ = av_frame_alloc();
    if (!fifo_ || !block_) return false;
    return true;
  }

  void ScaleInto(const uint8_t* rgb, int width, int height, int rowBytes, bool bottomUp) {
    // A frame of the first size maps each source pixel onto a scale x scale
    // block (the padding to even sizes repeats the last one); a frame of
    // another size is stretched over the whole picture.
    const int64_t spanW = width == firstW_ ? int64_t{width} * scale_ : outW_;
    const int64_t spanH = height == firstH_ ? int64_t{height} * scale_ : outH_;
    columns_.resize(static_cast<size_t>(outW_));
    for (int x = 0; x < outW_; ++x) {
      columns_[static_cast<size_t>(x)] =
          3 * static_cast<int>(std::min<int64_t>(width - 1, x * int64_t{width} / spanW));
    }
    const uint8_t* lastSource = nullptr;
    const size_t outRow = static_cast<size_t>(outW_) * 3;
    for (int y = 0; y < outH_; ++y) {
      const int sy = static_cast<int>(std::min<int64_t>(height - 1, y * int64_t{height} / spanH));
      const int row = bottomUp ? height - 1 - sy : sy;
      const uint8_t* src = rgb + static_cast<size_t>(row) * static_cast<size_t>(rowBytes);
      uint8_t* dst = scaled_.data() + static_cast<size_t>(y) * outRow;
      if (src == lastSource) {
        std::memcpy(dst, dst - outRow, outRow);
        continue;
      }
      lastSource = src;
      for (int x = 0; x < outW_; ++x) {
        const uint8_t* p = src + columns_[static_cast<size_t>(x)];
        dst[3 * x] = p[0];
        dst[3 * x + 1] = p[1];
        dst[3 * x + 2] = p[2];
      }
    }
  }

  // BT.601 in limited range, each chroma sample from the mean of its 2 x 2
  // pixels. Done here rather than by the library: the pictures are already
  // scaled, and its fast paths for this conversion lose the right edge of
  // widths that are not a multiple of 16.
  void ToYuv420() {
    const size_t row = static_cast<size_t>(outW_) * 3;
    for (int y = 0; y < outH_; ++y) {
      const uint8_t* s = scaled_.data() + static_cast<size_t>(y) * row;
      uint8_t* luma = picture_->data[0] + static_cast<ptrdiff_t>(y) * picture_->linesize[0];
      for (int x = 0; x < outW_; ++x, s += 3) {
        luma[x] = static_cast<uint8_t>(((66 * s[0] + 129 * s[1] + 25 * s[2] + 128) >> 8) + 16);
      }
    }
    for (int y = 0; y < outH_ / 2; ++y) {
      const uint8_t* top = scaled_.data() + static_cast<size_t>(2 * y) * row;
      const uint8_t* bottom = top + row;
      uint8_t* u = picture_->data[1] + static_cast<ptrdiff_t>(y) * picture_->linesize[1];
      uint8_t* v = picture_->data[2] + static_cast<ptrdiff_t>(y) * picture_->linesize[2];
      for (int x = 0; x < outW_ / 2; ++x) {
        const size_t a = static_cast<size_t>(x) * 6;
        const int r = top[a] + top[a + 3] + bottom[a] + bottom[a + 3];
        const int g = top[a + 1] + top[a + 4] + bottom[a + 1] + bottom[a + 4];
        const int b = top[a + 2] + top[a + 5] + bottom[a + 2] + bottom[a + 5];
        // The sums are four pixels: 10 bits of shift instead of 8.
        u[x] = static_cast<uint8_t>(((-38 * r - 74 * g + 112 * b + 512) >> 10) + 128);
        v[x] = static_cast<uint8_t>(((112 * r - 94 * g - 18 * b + 512) >> 10) + 128);
      }
    }
  }

  // Converts mixer-format sound (null: flushes the resampler) into the
  // block queue and encodes every whole block.
  bool Resample(const uint8_t* const* in, int frames) {
    const int room = swr_get_out_samples(swr_, frames);
    if (room < 0) return Fail("cannot resample the sound track");
    if (room > 0) {
      uint8_t** out = nullptr;
      int lineSize = 0;
      if (av_samples_alloc_array_and_samples(&out, &lineSize, 2, room, audioCtx_->sample_fmt, 0) <
          0) {
        return Fail("out of memory");
      }
      const int got = swr_convert(swr_, out, room, const_cast<const uint8_t**>(in), frames);
      const bool stored =
          got <= 0 || av_audio_fifo_write(fifo_, reinterpret_cast<void**>(out), got) == got;
      av_freep(&out[0]);
      av_freep(&out);
      if (got < 0) return Fail("cannot resample the sound track");
      if (!stored) return Fail("out of memory");
    }
    return DrainSound(false);
  }

  bool DrainSound(bool last) {
    while (av_audio_fifo_size(fifo_) >= blockFrames_ || (last && av_audio_fifo_size(fifo_) > 0)) {
      int n = std::min(blockFrames_, av_audio_fifo_size(fifo_));
      const bool smallLastAllowed = audioCodec_->capabilities & (AV_CODEC_CAP_SMALL_LAST_FRAME |
                                                                 AV_CODEC_CAP_VARIABLE_FRAME_SIZE);
      av_frame_unref(block_);
      block_->nb_samples = smallLastAllowed ? n : blockFrames_;
      block_->format = audioCtx_->sample_fmt;
      block_->sample_rate = kTrackRate;
      if (av_channel_layout_copy(&block_->ch_layout, &audioCtx_->ch_layout) < 0 ||
          av_frame_get_buffer(block_, 0) < 0) {
        return Fail("out of memory");
      }
      if (n < block_->nb_samples) {
        av_samples_set_silence(block_->extended_data, 0, block_->nb_samples, 2,
                               audioCtx_->sample_fmt);
      }
      if (av_audio_fifo_read(fifo_, reinterpret_cast<void**>(block_->extended_data), n) != n) {
        return Fail("cannot queue the sound track");
      }
      block_->pts = soundPts_;
      soundPts_ += block_->nb_samples;
      if (!Encode(audioCtx_, audioStream_, block_)) return false;
    }
    return true;
  }

  bool Encode(AVCodecContext* ctx, AVStream* stream, AVFrame* frame) {
    int rc = avcodec_send_frame(ctx, frame);
    if (rc < 0 && !(frame == nullptr && rc == AVERROR_EOF)) {
      return Fail(std::string("the ") + ctx->codec->name + " encoder failed: " + AvError(rc));
    }
    for (;;) {
      rc = avcodec_receive_packet(ctx, packet_);
      if (rc == AVERROR(EAGAIN) || rc == AVERROR_EOF) return true;
      if (rc < 0)
        return Fail(std::string("the ") + ctx->codec->name + " encoder failed: " + AvError(rc));
      av_packet_rescale_ts(packet_, ctx->time_base, stream->time_base);
      packet_->stream_index = stream->index;
      rc = av_interleaved_write_frame(format_, packet_);
      av_packet_unref(packet_);
      if (rc < 0 || ioFailed_)
        return Fail(ioFailed_ ? ioError_ : "cannot write the file: " + AvError(rc));
    }
  }

  Container container_{};
  const AVCodec* videoCodec_ = nullptr;
  const AVCodec* audioCodec_ = nullptr;
  std::string path_, hidden_;
  int fd_ = -1;
  int scale_ = 1;
  int outW_ = 0, outH_ = 0;
  int firstW_ = 0, firstH_ = 0;
  bool started_ = false, finished_ = false, failed_ = false;
  bool ioFailed_ = false;
  std::string ioError_, error_;
  long frames_ = 0;
  int64_t soundPts_ = 0;
  int blockFrames_ = 1024;
  AVFormatContext* format_ = nullptr;
  AVStream* videoStream_ = nullptr;
  AVStream* audioStream_ = nullptr;
  AVCodecContext* videoCtx_ = nullptr;
  AVCodecContext* audioCtx_ = nullptr;
  AVFrame* picture_ = nullptr;
  AVFrame* block_ = nullptr;
  AVPacket* packet_ = nullptr;
  SwrContext* swr_ = nullptr;
  AVAudioFifo* fifo_ = nullptr;
  std::vector<uint8_t> scaled_;
  std::vector<int> columns_;
};

}  // namespace

std::unique_ptr<VideoWriter> CreateVideoWriter(const std::string& path, int scale,
                                               std::string* error) {
  QuietLibraries();
  std::string why;
  auto writer = std::make_unique<FfmpegVideoWriter>();
  if (!writer->Open(path, scale, &why)) {
    if (error) *error = why;
    return nullptr;
  }
  return writer;
}

bool DecodeSoundFile(const std::string& path, std::vector<int16_t>& samples, std::string* error,
                     double maxSeconds) {
  QuietLibraries();
  samples.clear();
  auto fail = [&](const std::string& why) {
    if (error) *error = why;
    samples.clear();
    return false;
  };
  AVFormatContext* format = nullptr;
  int rc = avformat_open_input(&format, path.c_str(), nullptr, nullptr);
  if (rc < 0) return fail("cannot open " + path + ": " + AvError(rc));
  AVCodecContext* ctx = nullptr;
  SwrContext* swr = nullptr;
  AVPacket* packet = av_packet_alloc();
  AVFrame* frame = av_frame_alloc();
  AVChannelLayout stereo{};
  av_channel_layout_default(&stereo, 2);
  std::string why;
  const size_t limit = static_cast<size_t>(std::max(0.0, maxSeconds) * kMixerRate) * 2;
  // Appends what the resampler gives for `in` (null flushes it).
  auto convert = [&](const uint8_t** in, int count) {
    const int room = swr_get_out_samples(swr, count);
    if (room <= 0) return room == 0;
    const size_t at = samples.size();
    samples.resize(at + static_cast<size_t>(room) * 2);
    uint8_t* out[1] = {reinterpret_cast<uint8_t*>(samples.data() + at)};
    const int got = swr_convert(swr, out, room, in, count);
    samples.resize(at + static_cast<size_t>(std::max(got, 0)) * 2);
    if (got < 0) why = "cannot resample " + path;
    if (samples.size() > limit) why = path + " is longer than the longest sound taken";
    return why.empty();
  };
  do {
    if (!packet || !frame) {
      why = "out of memory";
      break;
    }
    if ((rc = avformat_find_stream_info(format, nullptr)) < 0) {
      why = "cannot read " + path + ": " + AvError(rc);
      break;
    }
    const AVCodec* codec = nullptr;
    const int stream = av_find_best_stream(format, AVMEDIA_TYPE_AUDIO, -1, -1, &codec, 0);
    if (stream < 0 || !codec) {
      why = path + " holds no sound the libraries can decode";
      break;
    }
    ctx = avcodec_alloc_context3(codec);
    if (!ctx || avcodec_parameters_to_context(ctx, format->streams[stream]->codecpar) < 0 ||
        (rc = avcodec_open2(ctx, codec, nullptr)) < 0) {
      why = "cannot decode " + path;
      break;
    }
    if (ctx->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC || ctx->ch_layout.nb_channels == 0) {
      av_channel_layout_uninit(&ctx->ch_layout);
      av_channel_layout_default(&ctx->ch_layout, std::max(1, ctx->ch_layout.nb_channels));
    }
    if (swr_alloc_set_opts2(&swr, &stereo, AV_SAMPLE_FMT_S16, kMixerRate, &ctx->ch_layout,
                            ctx->sample_fmt, ctx->sample_rate, 0, nullptr) < 0) {
      why = "cannot resample " + path;
      break;
    }
    // A mono piece sounds at full level on both sides, as the player plays
    // it, not 3 dB down as a centre channel would be.
    const double monoToBoth[2] = {1.0, 1.0};
    if (ctx->ch_layout.nb_channels == 1) swr_set_matrix(swr, monoToBoth, 1);
    if (swr_init(swr) < 0) {
      why = "cannot resample " + path;
      break;
    }
    auto drain = [&]() {
      for (;;) {
        rc = avcodec_receive_frame(ctx, frame);
        if (rc == AVERROR(EAGAIN) || rc == AVERROR_EOF) return true;
        // A damaged stretch is skipped, as a player would.
        if (rc < 0) return true;
        const bool ok =
            convert(const_cast<const uint8_t**>(frame->extended_data), frame->nb_samples);
        av_frame_unref(frame);
        if (!ok) return false;
      }
    };
    bool ok = true;
    while (ok && av_read_frame(format, packet) >= 0) {
      if (packet->stream_index == stream) {
        avcodec_send_packet(ctx, packet);
        ok = drain();
      }
      av_packet_unref(packet);
    }
    if (!ok) break;
    avcodec_send_packet(ctx, nullptr);
    if (!drain() || !convert(nullptr, 0)) break;
    if (samples.empty()) why = path + " holds no sound";
  } while (false);
  av_channel_layout_uninit(&stereo);
  swr_free(&swr);
  avcodec_free_context(&ctx);
  av_frame_free(&frame);
  av_packet_free(&packet);
  avformat_close_input(&format);
  if (!why.empty()) return fail(why);
  return true;
}

}  // namespace plat
