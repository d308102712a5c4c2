// Open movies: a Theora decoder each, the time the caller has moved it to,
// and the texture its current frame is uploaded into once per update.
#include "engine/video.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

#include "engine/archive.h"
#include "engine/log.h"
#include "engine/render.h"
#include "engine/theora.h"

struct Video {
  std::string name;
  TheoraDecoder decoder;
  Texture* texture = nullptr;
  double time_ms = 0.0;
  int64_t uploaded = -1;  // the frame the texture shows
};

namespace {

std::vector<std::unique_ptr<Video>> g_videos;

// Decodes the frame of the movie's time and uploads it when it changed.
void Present(Video& v) {
  const double frame_ms = v.decoder.FrameMs();
  const auto frame = static_cast<int64_t>(std::floor(v.time_ms / frame_ms));
  if (!v.decoder.ShowFrame(frame) && v.decoder.CurrentFrame() < 0) return;
  if (v.decoder.CurrentFrame() == v.uploaded) return;
  TheoraDecoder::Planes p;
  if (!v.decoder.CurrentPlanes(&p)) return;
  if (UpdatePictureTexture(v.texture, p.y, p.y_pitch, p.u, p.u_pitch, p.v, p.v_pitch))
    v.uploaded = v.decoder.CurrentFrame();
}

}  // namespace

Video* OpenVideo(const std::string& file_name) {
  auto video = std::make_unique<Video>();
  video->name = file_name;
  std::string bytes;
  bool ok = ReadGameFile(file_name, &bytes) && video->decoder.OpenMemory(std::move(bytes));
  if (ok) {
    video->texture = CreatePictureTexture(video->decoder.Width(), video->decoder.Height());
    ok = video->texture != nullptr;
  }
  if (!ok) {
    LogLine("Unable to open video: \"" + file_name + "\"", true);
    return nullptr;
  }
  Present(*video);
  g_videos.push_back(std::move(video));
  return g_videos.back().get();
}

void UpdateVideo(Video* video, double elapsed_ms, bool loop) {
  if (video == nullptr || !(elapsed_ms > 0.0)) return;
  const double length = video->decoder.LengthMs();
  video->time_ms += elapsed_ms;
  if (video->time_ms >= length) video->time_ms = loop ? std::fmod(video->time_ms, length) : length;
  Present(*video);
}

void SeekVideo(Video* video, double ms) {
  if (video == nullptr) return;
  video->time_ms = std::clamp(std::isfinite(ms) ? ms : 0.0, 0.0, video->decoder.LengthMs());
  Present(*video);
}

void DeleteVideo(Video* video) {
  const auto it = std::find_if(g_videos.begin(), g_videos.end(),
                               [video](const auto& v) { return v.get() == video; });
  if (it == g_videos.end()) return;
  DeleteTexture((*it)->texture);
  g_videos.erase(it);
}

int VideoWidth(const Video* video) { return video != nullptr ? video->decoder.Width() : 0; }
int VideoHeight(const Video* video) { return video != nullptr ? video->decoder.Height() : 0; }
double VideoLengthMs(const Video* video) {
  return video != nullptr ? video->decoder.LengthMs() : 0.0;
}
double VideoTimeMs(const Video* video) { return video != nullptr ? video->time_ms : 0.0; }

const Texture* VideoTexture(const Video* video) {
  return video != nullptr && video->uploaded >= 0 ? video->texture : nullptr;
}

std::size_t VideoCount() { return g_videos.size(); }

void DeleteAllVideos() {
  for (const auto& v : g_videos) DeleteTexture(v->texture);
  g_videos.clear();
}
