// Wuffs' GIF decoder as a second reference beside giflib, behind a small C interface so that the
// C++ side of the benchmark never parses the Wuffs release.
#pragma once

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

// Called after each frame with the frame's rectangle on the logical screen and its pixels (palette
// indexes, width bytes a row, top row first).
typedef void (*KorvantaWuffsFrameFn)(void* context, int left, int top, int width, int height,
                                     const uint8_t* pixels);

// Decodes every frame of the GIF in data[0, size) to palette indexes and keeps them, as an editor
// opening the file must and as our reader and giflib's DGifSlurp do: a new decoder for the file,
// and for each frame a new zeroed buffer of the frame's size that Wuffs decodes into directly. The
// buffers are released when the file is done. onFrame may be NULL. Returns NULL and the number of
// frames in *frameCount, or Wuffs' reason for failing.
const char* KorvantaWuffsDecode(const uint8_t* data, size_t size, KorvantaWuffsFrameFn onFrame, void* context,
                                int* frameCount);

#ifdef __cplusplus
}
#endif
