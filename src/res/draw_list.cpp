// Recording and performing the frame's draw commands.
#include "res/draw_list.h"

#include <cmath>

#include "res/images.h"

tbatch DrawList;

tfunction* tbatch::next(int kind) {
  tfunction* c = commands_.reuse_next();
  if (c == nullptr) return nullptr;
  c->kind = kind;
  c->texture = nullptr;
  c->font = nullptr;
  c->camera = nullptr;
  c->grid = nullptr;
  c->object = nullptr;
  c->text.clear();  // keeps its buffer
  c->x = c->y = c->w = c->h = 0.0f;
  c->source = SourceRect{};
  c->angle = 0.0f;
  c->scale_x = c->scale_y = 1.0f;
  c->frame = c->frame_w = c->frame_h = 0;
  c->text_flags = 0;
  c->length = -1;
  c->alpha = 255;
  c->colour = 0xFFFFFF;
  c->blend = BLEND_NORMAL;
  c->effects = 0;
  return c;
}

void tbatch::clip_begin(float x, float y, float w, float h) {
  if (tfunction* c = next(DRAW_CLIP_BEGIN)) {
    c->x = x;
    c->y = y;
    c->w = w;
    c->h = h;
  }
}

void tbatch::clip_end() { next(DRAW_CLIP_END); }

void tbatch::object(const EngineDrawable* drawable) {
  if (tfunction* c = next(DRAW_OBJECT)) c->object = drawable;
}

void tbatch::camera(const View* view) {
  if (tfunction* c = next(DRAW_CAMERA)) c->camera = view;
}

tfunction* tbatch::image_command(int kind, std::string_view name, uint8_t alpha, uint32_t colour,
                                 int blend, uint32_t effects) {
  tfunction* c = next(kind);
  if (c == nullptr) return nullptr;
  c->texture = images.get(name);
  c->alpha = alpha;
  c->colour = colour;
  c->blend = blend;
  c->effects = effects;
  return c;
}

tfunction* tbatch::text_command(int kind, std::string_view font, std::string_view text,
                                uint32_t flags, int length, float scale, uint8_t alpha,
                                uint32_t colour, int blend) {
  tfunction* c = next(kind);
  if (c == nullptr) return nullptr;
  c->font = fonts.get(font);
  c->text.assign(text);
  c->text_flags = flags;
  c->length = length;
  c->scale_x = scale;
  c->alpha = alpha;
  c->colour = colour;
  c->blend = blend;
  return c;
}

void tbatch::grid_image(std::string_view name, const DeformGrid* grid, float x, float y,
                        uint8_t alpha, uint32_t colour, int blend, uint32_t effects) {
  if (tfunction* c = image_command(DRAW_GRID_IMAGE, name, alpha, colour, blend, effects)) {
    c->grid = grid;
    c->x = x;
    c->y = y;
  }
}

void tbatch::rect(uint8_t alpha, uint32_t colour, float x, float y, float w, float h, int blend) {
  rectangle(DRAW_RECT, alpha, colour, x, y, w, h, blend);
}

void tbatch::filled_rect(uint8_t alpha, uint32_t colour, float x, float y, float w, float h,
                         int blend) {
  rectangle(DRAW_FILLED_RECT, alpha, colour, x, y, w, h, blend);
}

void tbatch::rectangle(int kind, uint8_t alpha, uint32_t colour, float x, float y, float w,
                       float h, int blend) {
  if (tfunction* c = next(kind)) {
    c->alpha = alpha;
    c->colour = colour;
    c->x = x;
    c->y = y;
    c->w = w;
    c->h = h;
    c->blend = blend;
  }
}

void tbatch::image_part(std::string_view name, const SourceRect& source, float x, float y,
                        float w, float h, float angle, uint8_t alpha, uint32_t colour, int blend,
                        uint32_t effects) {
  if (tfunction* c = image_command(DRAW_IMAGE_PART, name, alpha, colour, blend, effects)) {
    c->source = source;
    c->x = x;
    c->y = y;
    c->w = w;
    c->h = h;
    c->angle = angle;
  }
}

void tbatch::sized_image(std::string_view name, uint8_t alpha, float x, float y, float w, float h,
                         float angle, uint32_t colour, int blend, uint32_t effects) {
  if (tfunction* c = image_command(DRAW_SIZED_IMAGE, name, alpha, colour, blend, effects)) {
    c->x = x;
    c->y = y;
    c->w = w;
    c->h = h;
    c->angle = angle;
  }
}

void tbatch::image(std::string_view name, uint8_t alpha, float x, float y, uint32_t colour,
                   int blend, uint32_t effects) {
  if (tfunction* c = image_command(DRAW_IMAGE, name, alpha, colour, blend, effects)) {
    c->x = x;
    c->y = y;
  }
}

void tbatch::corner_image(std::string_view name, uint8_t alpha, float x1, float y1, float x2,
                          float y2, uint32_t colour, int blend, uint32_t effects) {
  if (tfunction* c = image_command(DRAW_CORNER_IMAGE, name, alpha, colour, blend, effects)) {
    c->x = x1;
    c->y = y1;
    c->w = x2;
    c->h = y2;
  }
}

void tbatch::scaled_image(std::string_view name, uint8_t alpha, float cx, float cy, float angle,
                          float sx, float sy, uint32_t colour, int blend, uint32_t effects) {
  if (tfunction* c = image_command(DRAW_SCALED_IMAGE, name, alpha, colour, blend, effects)) {
    c->x = cx;
    c->y = cy;
    c->angle = angle;
    c->scale_x = sx;
    c->scale_y = sy;
  }
}

void tbatch::text(std::string_view font, std::string_view text, float x, float y, uint32_t flags,
                  int length, float scale, uint8_t alpha, uint32_t colour, int blend) {
  if (tfunction* c =
          text_command(DRAW_TEXT, font, text, flags, length, scale, alpha, colour, blend)) {
    c->x = x;
    c->y = y;
  }
}

void tbatch::text_rect(std::string_view font, std::string_view text, float x, float y, float w,
                       float h, uint32_t flags, int length, float scale, uint8_t alpha,
                       uint32_t colour, int blend) {
  if (tfunction* c =
          text_command(DRAW_TEXT_IN_RECT, font, text, flags, length, scale, alpha, colour, blend)) {
    c->x = x;
    c->y = y;
    c->w = w;
    c->h = h;
  }
}

void tbatch::image_frame(std::string_view name, uint8_t alpha, float x, float y, int frame_w,
                         int frame_h, float angle, float sx, float sy, int frame, uint32_t colour,
                         int blend, uint32_t effects) {
  if (tfunction* c = image_command(DRAW_IMAGE_FRAME, name, alpha, colour, blend, effects)) {
    c->x = x;
    c->y = y;
    c->frame_w = frame_w;
    c->frame_h = frame_h;
    c->angle = angle;
    c->scale_x = sx;
    c->scale_y = sy;
    c->frame = frame;
  }
}

// --- Performing -----------------------------------------------------------------------

void tbatch::replay(int index) const {
  if (index == -1) {
    for (const tfunction& c : commands_) perform(c);
  } else if (index >= 0 && static_cast<std::size_t>(index) < count()) {
    perform(commands_[static_cast<std::size_t>(index)]);
  }
}

void tbatch::perform(const tfunction& c) const {
  // Every image is blended and tinted; the tint is reset after each command.
  const uint32_t fx = c.effects | FX_BLEND;
  const auto tex_w = static_cast<float>(TextureWidth(c.texture));
  const auto tex_h = static_cast<float>(TextureHeight(c.texture));
  SetDrawColor(c.colour);
  SetDrawBlend(c.blend);
  switch (c.kind) {
    case DRAW_CLIP_BEGIN:
      BeginClip(std::round(c.x), std::round(c.y), std::round(c.w), std::round(c.h));
      break;
    case DRAW_CLIP_END:
      EndClip();
      break;
    case DRAW_OBJECT:
      if (c.object != nullptr) c.object->draw();
      break;
    case DRAW_CAMERA:
      SetView(c.camera);
      break;
    case DRAW_GRID_IMAGE:
      if (c.texture != nullptr && c.grid != nullptr)
        DrawGridSprite(c.texture, *c.grid, c.x, c.y, c.alpha, fx);
      break;
    case DRAW_RECT:
      DrawRectOutline(c.x, c.y, c.w, c.h, c.colour, c.alpha);
      break;
    case DRAW_FILLED_RECT:
      FillRect(c.x, c.y, c.w, c.h, c.colour, c.alpha);
      break;
    case DRAW_IMAGE_PART:
      DrawSpritePart(c.texture, c.source, c.x, c.y, c.w, c.h, c.angle, c.alpha, fx);
      break;
    case DRAW_SIZED_IMAGE:
      DrawSprite(c.texture, c.x, c.y, c.w, c.h, c.angle, c.alpha, fx);
      break;
    case DRAW_IMAGE:
      DrawSprite(c.texture, c.x, c.y, tex_w, tex_h, 0.0f, c.alpha, fx);
      break;
    case DRAW_CORNER_IMAGE:
      DrawSprite(c.texture, c.x, c.y, c.w - c.x, c.h - c.y, 0.0f, c.alpha, fx);
      break;
    case DRAW_SCALED_IMAGE:
      DrawSprite(c.texture, c.x - c.scale_x * tex_w / 2.0f, c.y - c.scale_y * tex_h / 2.0f,
                 c.scale_x * tex_w, c.scale_y * tex_h, c.angle, c.alpha, fx);
      break;
    case DRAW_TEXT:
    case DRAW_TEXT_IN_RECT: {
      uint32_t flags = c.text_flags;
      if (c.length >= 0) {
        SetTextLength(c.length);
        flags |= TEXT_LENGTH;
      }
      if (c.kind == DRAW_TEXT)
        DrawText(c.font, c.x, c.y, c.text, flags, c.scale_x, 0.0f, c.alpha, c.colour);
      else
        DrawTextInRect(c.font, c.x, c.y, c.w, c.h, c.text, flags, c.scale_x, 0.0f, c.alpha,
                       c.colour);
      break;
    }
    case DRAW_IMAGE_FRAME:
      DrawSpriteFrame(c.texture, c.frame, c.frame_w, c.frame_h, c.x, c.y,
                      static_cast<float>(c.frame_w) * c.scale_x,
                      static_cast<float>(c.frame_h) * c.scale_y, c.angle, c.alpha, fx);
      break;
    default:
      break;
  }
  ResetDrawState();
}
