// The draw list: everything a frame shows, recorded by name during the frame
// tick and performed in order by the draw callback. Names are resolved to
// textures and fonts when a command is recorded.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "engine/font.h"
#include "engine/render.h"
#include "res/fixed_list.h"

inline constexpr std::size_t DRAW_CAPACITY = 4097;

// Something drawn by the engine itself (a movie frame, an emitter).
class EngineDrawable {
 public:
  virtual void draw() const = 0;

 protected:
  ~EngineDrawable() = default;
};

enum DrawKind : int {
  DRAW_CLIP_BEGIN = 0,
  DRAW_CLIP_END = 1,
  DRAW_OBJECT = 2,
  DRAW_CAMERA = 3,
  DRAW_GRID_IMAGE = 4,
  DRAW_RECT = 7,
  DRAW_FILLED_RECT = 8,
  DRAW_IMAGE_PART = 9,
  DRAW_SIZED_IMAGE = 10,
  DRAW_IMAGE = 11,
  DRAW_CORNER_IMAGE = 12,
  DRAW_SCALED_IMAGE = 13,
  DRAW_TEXT = 14,
  DRAW_TEXT_IN_RECT = 15,
  DRAW_IMAGE_FRAME = 16,
};

// One recorded command; which fields count depends on the kind.
struct tfunction {
  int kind = DRAW_CLIP_END;
  const Texture* texture = nullptr;
  const Font* font = nullptr;
  const View* camera = nullptr;
  const DeformGrid* grid = nullptr;
  const EngineDrawable* object = nullptr;
  std::string text;
  float x = 0.0f, y = 0.0f, w = 0.0f, h = 0.0f;  // corner image: x1, y1, x2, y2
  SourceRect source;
  float angle = 0.0f;
  float scale_x = 1.0f, scale_y = 1.0f;  // also the text scale
  int frame = 0, frame_w = 0, frame_h = 0;
  uint32_t text_flags = 0;
  int length = -1;
  uint8_t alpha = 255;
  uint32_t colour = 0xFFFFFF;
  int blend = BLEND_NORMAL;
  uint32_t effects = 0;
};

class tbatch {
 public:
  void clear() { commands_.reset_count(); }
  std::size_t count() const { return commands_.size(); }
  const tfunction& operator[](std::size_t i) const { return commands_[i]; }
  // -1 performs every command in order; an index performs that one alone;
  // any other index does nothing.
  void replay(int index) const;

  // --- Recording (each refuses when the list is full) ---------------------------
  void clip_begin(float x, float y, float w, float h);
  void clip_end();
  void object(const EngineDrawable* drawable);
  void camera(const View* view);
  void grid_image(std::string_view name, const DeformGrid* grid, float x, float y, uint8_t alpha,
                  uint32_t colour, int blend, uint32_t effects);
  void rect(uint8_t alpha, uint32_t colour, float x, float y, float w, float h, int blend);
  void filled_rect(uint8_t alpha, uint32_t colour, float x, float y, float w, float h, int blend);
  void image_part(std::string_view name, const SourceRect& source, float x, float y, float w,
                  float h, float angle, uint8_t alpha, uint32_t colour, int blend,
                  uint32_t effects);
  void sized_image(std::string_view name, uint8_t alpha, float x, float y, float w, float h,
                   float angle, uint32_t colour, int blend, uint32_t effects);
  void image(std::string_view name, uint8_t alpha, float x, float y, uint32_t colour = 0xFFFFFF,
             int blend = BLEND_NORMAL, uint32_t effects = 0);
  void corner_image(std::string_view name, uint8_t alpha, float x1, float y1, float x2, float y2,
                    uint32_t colour = 0xFFFFFF, int blend = BLEND_NORMAL, uint32_t effects = 0);
  void scaled_image(std::string_view name, uint8_t alpha, float cx, float cy, float angle,
                    float sx, float sy, uint32_t colour = 0xFFFFFF, int blend = BLEND_NORMAL,
                    uint32_t effects = 0);
  void text(std::string_view font, std::string_view text, float x, float y, uint32_t flags,
            int length, float scale, uint8_t alpha, uint32_t colour, int blend = BLEND_NORMAL);
  void text_rect(std::string_view font, std::string_view text, float x, float y, float w, float h,
                 uint32_t flags, int length, float scale, uint8_t alpha, uint32_t colour,
                 int blend = BLEND_NORMAL);
  void image_frame(std::string_view name, uint8_t alpha, float x, float y, int frame_w,
                   int frame_h, float angle, float sx, float sy, int frame,
                   uint32_t colour = 0xFFFFFF, int blend = BLEND_NORMAL, uint32_t effects = 0);

 private:
  // The next free record, reset to its defaults, or nullptr when full.
  tfunction* next(int kind);
  void rectangle(int kind, uint8_t alpha, uint32_t colour, float x, float y, float w, float h,
                 int blend);
  // A record of an image or text command with its shared fields filled in.
  tfunction* image_command(int kind, std::string_view name, uint8_t alpha, uint32_t colour,
                           int blend, uint32_t effects);
  tfunction* text_command(int kind, std::string_view font, std::string_view text, uint32_t flags,
                          int length, float scale, uint8_t alpha, uint32_t colour, int blend);
  void perform(const tfunction& c) const;

  // Records are reused from frame to frame, so their texts keep their
  // buffers and recording allocates nothing once the game runs.
  FixedList<tfunction, DRAW_CAPACITY> commands_;
};

// The frame's picture.
extern tbatch DrawList;
