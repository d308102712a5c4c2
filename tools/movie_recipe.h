// Movie recipes: the text from which the movie generator makes the game's
// movies. A movie is a row of shots; each shot is a painted picture (an art
// recipe) seen through a slow camera — a centre and a scale moving from a
// start to an end — faded in and out, and shots that overlap cross-fade.
// Parsing only: no picture or codec here, so the reader is cheap to fuzz.
//
//   size 1024 432          picture size of the movie (even, 16..4096)
//   rate 24                frames a second (1..60)
//   length 61000           milliseconds (the last frame ends there)
//   shot NAME.art START END FADE_IN FADE_OUT CX0 CY0 S0 CX1 CY1 S1
//
// One statement a line; ';' starts a comment. Times are in milliseconds,
// the camera's centre in picture pixels and its scale in movie pixels per
// picture pixel.
#pragma once

#include <algorithm>
#include <charconv>
#include <cmath>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace moviegen {

struct Camera {
  double cx = 0.0;
  double cy = 0.0;
  double scale = 1.0;
};

struct Shot {
  std::string picture;  // the art recipe, below the art folder
  double start = 0.0;
  double end = 0.0;
  double fade_in = 0.0;
  double fade_out = 0.0;
  Camera from;
  Camera to;
};

struct MovieRecipe {
  int width = 0;
  int height = 0;
  int rate = 0;
  double length = 0.0;
  std::vector<Shot> shots;
};

// The recipe, or nullopt with `problem` holding "line N: what".
inline std::optional<MovieRecipe> ParseMovieRecipe(std::string_view text, std::string* problem) {
  MovieRecipe movie;
  int line_number = 0;
  const auto fail = [&](const std::string& what) {
    *problem = "line " + std::to_string(line_number) + ": " + what;
    return std::nullopt;
  };
  const auto number = [](std::string_view word, double* out) {
    const auto [end, ec] = std::from_chars(word.data(), word.data() + word.size(), *out);
    return ec == std::errc() && end == word.data() + word.size() && std::isfinite(*out);
  };
  std::size_t at = 0;
  while (at <= text.size()) {
    const std::size_t next = std::min(text.find('\n', at), text.size());
    std::string_view line = text.substr(at, next - at);
    at = next + 1;
    ++line_number;
    line = line.substr(0, std::min(line.find(';'), line.size()));
    std::vector<std::string_view> words;
    for (std::size_t i = 0; i < line.size();) {
      while (i < line.size() && (line[i] == ' ' || line[i] == '\t' || line[i] == '\r')) ++i;
      std::size_t j = i;
      while (j < line.size() && line[j] != ' ' && line[j] != '\t' && line[j] != '\r') ++j;
      if (j > i) words.push_back(line.substr(i, j - i));
      i = j;
    }
    if (words.empty()) continue;
    std::vector<double> values;
    for (std::size_t i = words[0] == "shot" ? 2 : 1; i < words.size(); ++i) {
      double v = 0.0;
      if (!number(words[i], &v)) return fail("not a number: " + std::string(words[i]));
      values.push_back(v);
    }
    if (words[0] == "size") {
      if (values.size() != 2) return fail("size takes a width and a height");
      if (values[0] < 16 || values[0] > 4096 || values[1] < 16 || values[1] > 4096 ||
          std::fmod(values[0], 2.0) != 0.0 || std::fmod(values[1], 2.0) != 0.0)
        return fail("the size must be even, 16 to 4096");
      movie.width = static_cast<int>(values[0]);
      movie.height = static_cast<int>(values[1]);
    } else if (words[0] == "rate") {
      if (values.size() != 1 || values[0] < 1 || values[0] > 60 || std::floor(values[0]) != values[0])
        return fail("the rate is a whole number of frames a second, 1 to 60");
      movie.rate = static_cast<int>(values[0]);
    } else if (words[0] == "length") {
      if (values.size() != 1 || values[0] <= 0 || values[0] > 3600000)
        return fail("the length is 1 to 3600000 milliseconds");
      movie.length = values[0];
    } else if (words[0] == "shot") {
      if (words.size() < 2 || values.size() != 10) return fail("shot takes a picture and ten numbers");
      const std::string_view name = words[1];
      if (name.find("..") != std::string_view::npos || name.front() == '/' ||
          !name.ends_with(".art"))
        return fail("the picture is an .art recipe below the art folder");
      Shot shot;
      shot.picture = std::string(name);
      shot.start = values[0];
      shot.end = values[1];
      shot.fade_in = values[2];
      shot.fade_out = values[3];
      shot.from = {values[4], values[5], values[6]};
      shot.to = {values[7], values[8], values[9]};
      if (shot.start < 0 || shot.end <= shot.start || shot.fade_in < 0 || shot.fade_out < 0 ||
          shot.fade_in + shot.fade_out > shot.end - shot.start)
        return fail("a shot needs 0 <= start < end and fades that fit inside it");
      if (shot.from.scale <= 0 || shot.to.scale <= 0 || shot.from.scale > 16 || shot.to.scale > 16)
        return fail("a camera's scale is above 0 and at most 16");
      movie.shots.push_back(std::move(shot));
    } else {
      return fail("unknown statement: " + std::string(words[0]));
    }
  }
  if (movie.width == 0 || movie.rate == 0 || movie.length == 0.0)
    return fail("size, rate and length are needed");
  if (movie.shots.empty()) return fail("a movie needs a shot");
  return movie;
}

// How much of the shot shows at time t (0..1): the fades, eased.
inline double ShotWeight(const Shot& shot, double t) {
  if (t < shot.start || t >= shot.end) return 0.0;
  double w = 1.0;
  if (shot.fade_in > 0 && t < shot.start + shot.fade_in) w = (t - shot.start) / shot.fade_in;
  if (shot.fade_out > 0 && t > shot.end - shot.fade_out)
    w = std::min(w, (shot.end - t) / shot.fade_out);
  return w * w * (3.0 - 2.0 * w);
}

// The shot's camera at time t: from the start to the end, eased.
inline Camera ShotCamera(const Shot& shot, double t) {
  double k = (t - shot.start) / (shot.end - shot.start);
  k = std::fmin(1.0, std::fmax(0.0, k));
  k = k * k * (3.0 - 2.0 * k);
  return {shot.from.cx + (shot.to.cx - shot.from.cx) * k,
          shot.from.cy + (shot.to.cy - shot.from.cy) * k,
          shot.from.scale + (shot.to.scale - shot.from.scale) * k};
}

}  // namespace moviegen
