// Ogg Theora decoding for the game's movies: the only module that depends on
// libtheora. A movie is read whole into memory (from the archive or the
// disk); its pages are indexed once, so that a jump to any time restarts at
// the key frame before it instead of at the beginning. Sound tracks in the
// same file are passed over: the game plays a movie's sound as music.
//
// Only 4:2:0 pictures are shown (what the content tools make); any other
// layout, a broken header or a picture beyond 4096 pixels a side is refused
// when the movie opens.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

// True when the Theora library answers (the start-up log says so).
bool TheoraDecoderReady();

class TheoraDecoder {
 public:
  TheoraDecoder();
  ~TheoraDecoder();
  TheoraDecoder(const TheoraDecoder&) = delete;
  TheoraDecoder& operator=(const TheoraDecoder&) = delete;

  // Takes the bytes; false when they hold no Theora stream the game can show.
  bool OpenMemory(std::string bytes);
  bool IsOpen() const;

  int Width() const;   // the picture, without the encoder's padding
  int Height() const;
  double FrameMs() const;      // how long each frame is shown
  int64_t FrameCount() const;  // frames in the file
  double LengthMs() const;     // FrameCount() frames of FrameMs()

  // Decodes until `frame` (clamped to the movie) is the current picture,
  // jumping back to a key frame when it lies behind. False when the stream
  // breaks off before it: the last good picture stays current.
  bool ShowFrame(int64_t frame);
  // The frame whose picture is current; -1 before the first one.
  int64_t CurrentFrame() const;

  // The current picture's three planes, each starting at the picture's
  // top-left corner (chroma at half size). False before the first frame.
  struct Planes {
    const uint8_t* y = nullptr;
    int y_pitch = 0;
    const uint8_t* u = nullptr;
    int u_pitch = 0;
    const uint8_t* v = nullptr;
    int v_pitch = 0;
  };
  bool CurrentPlanes(Planes* out) const;

 private:
  struct State;
  std::unique_ptr<State> s_;
};
