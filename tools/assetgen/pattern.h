// Deterministic noise and the procedural surfaces the games tile their ground
// with. Nothing here reads a clock or a random device: every value comes from
// an integer hash of its coordinates and a seed, so reruns give the same bytes.
#pragma once

#include <cstdint>

#include "image.h"

namespace assetgen {

std::uint32_t hash2(int x, int y, std::uint32_t seed);
// hash2 mapped to [0, 1).
float hashUnit(int x, int y, std::uint32_t seed);

// Value noise in [0, 1] over one tile: u, v in tile units, lattice of `cells`
// by `cells` that wraps, so noise(u + 1, v) == noise(u, v) == noise(u, v + 1).
float tileNoise(float u, float v, int cells, std::uint32_t seed);
// Sum of `octaves` tileNoise layers, each twice as fine and half as strong; [0, 1].
float tileFbm(float u, float v, int cells, int octaves, std::uint32_t seed);

// Straight bands `thickness` pixels wide every `period` pixels, starting at
// `offset`, across the whole image (vertical bands when `vertical`).
void stripes(Image& img, int period, int thickness, int offset, bool vertical, Rgba c);
// A dashed horizontal line: rows [y, y + thickness), dashes of `dash` pixels
// every `period` pixels starting at x = `offset`, wrapping round the width.
void dashes(Image& img, int y, int thickness, int dash, int period, int offset, Rgba c);
// Darkens a frame `width` pixels wide by up to `factor` at the very edge, so
// neighbouring tiles read as separate tiles. Breaks seamlessness on purpose.
void darkenEdge(Image& img, int width, float factor);

// Square tiles, `size` pixels, seamless in both directions.
Image sandTexture(int size, Rgba base, std::uint32_t seed);
Image grassTexture(int size, Rgba base, Rgba blade, std::uint32_t seed);
Image waterTexture(int size, Rgba deep, Rgba ripple, std::uint32_t seed);
Image snowTexture(int size, Rgba base, std::uint32_t seed);

}  // namespace assetgen
