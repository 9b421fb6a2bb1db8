// The one translation unit that holds Wuffs' implementation (base and GIF modules only).
#define WUFFS_IMPLEMENTATION
#define WUFFS_CONFIG__MODULES
#define WUFFS_CONFIG__MODULE__BASE
#define WUFFS_CONFIG__MODULE__GIF
#include "third_party/wuffs/wuffs-v0.4.c"

#include <stdlib.h>

#include "wuffs_gif.h"

// The frames of one file: each a buffer of its own, freed together at the end.
typedef struct {
    uint8_t** buffers;
    size_t count;
    size_t capacity;
} FrameList;

static uint8_t* NewFrameBuffer(FrameList* list, size_t bytes)
{
    if (list->count == list->capacity) {
        const size_t capacity = list->capacity ? list->capacity * 2 : 16;
        uint8_t** buffers = (uint8_t**)realloc(list->buffers, capacity * sizeof *buffers);
        if (buffers == NULL)
            return NULL;
        list->buffers = buffers;
        list->capacity = capacity;
    }
    uint8_t* buffer = (uint8_t*)calloc(bytes ? bytes : 1, 1);
    if (buffer != NULL)
        list->buffers[list->count++] = buffer;
    return buffer;
}

static void FreeFrames(FrameList* list)
{
    for (size_t i = 0; i < list->count; ++i) free(list->buffers[i]);
    free(list->buffers);
}

static const char* Message(wuffs_base__status status)
{
    return wuffs_base__status__message(&status);
}

// Wuffs writes a frame at its place on the screen: row y, column x of the screen goes to
// table.ptr + y * stride + x, and only the frame's rectangle is written. A table whose rows are
// the frame's width apart and whose origin lies (top * width + left) bytes before the buffer puts
// the rectangle exactly into the buffer. The origin is computed as an integer because it lies
// outside the buffer; Wuffs only ever adds the rectangle's offsets back to it.
static wuffs_base__table_u8 FrameTable(uint8_t* buffer, wuffs_base__rect_ie_u32 r, uint32_t screenWidth,
                                       uint32_t screenHeight)
{
    const size_t width = r.max_excl_x - r.min_incl_x;
    const uintptr_t origin = (uintptr_t)buffer - ((size_t)r.min_incl_y * width + r.min_incl_x);
    return wuffs_base__make_table_u8((uint8_t*)origin, screenWidth, screenHeight, width);
}

static const char* DecodeFrames(wuffs_gif__decoder* decoder, wuffs_base__io_buffer* source,
                                wuffs_base__pixel_config* screen, FrameList* frames, KorvantaWuffsFrameFn onFrame,
                                void* context, int* frameCount)
{
    uint8_t palette[WUFFS_BASE__PIXEL_FORMAT__INDEXED__PALETTE_BYTE_LENGTH];
    const uint32_t screenWidth = wuffs_base__pixel_config__width(screen);
    const uint32_t screenHeight = wuffs_base__pixel_config__height(screen);
    for (;;) {
        wuffs_base__frame_config frameConfig;
        wuffs_base__status status = wuffs_gif__decoder__decode_frame_config(decoder, &frameConfig, source);
        if (status.repr == wuffs_base__note__end_of_data)
            return NULL;
        if (!wuffs_base__status__is_ok(&status))
            return Message(status);
        const wuffs_base__rect_ie_u32 r = wuffs_base__frame_config__bounds(&frameConfig);
        const uint32_t width = r.max_excl_x - r.min_incl_x;
        const uint32_t height = r.max_excl_y - r.min_incl_y;
        uint8_t* buffer = NewFrameBuffer(frames, (size_t)width * height);
        if (buffer == NULL)
            return "no memory for a frame";
        wuffs_base__pixel_buffer pixels;
        status = wuffs_base__pixel_buffer__set_interleaved(&pixels, screen,
                                                           FrameTable(buffer, r, screenWidth, screenHeight),
                                                           wuffs_base__make_slice_u8(palette, sizeof palette));
        if (wuffs_base__status__is_ok(&status))
            status = wuffs_gif__decoder__decode_frame(decoder, &pixels, source, WUFFS_BASE__PIXEL_BLEND__SRC,
                                                      wuffs_base__empty_slice_u8(), NULL);
        if (!wuffs_base__status__is_ok(&status))
            return Message(status);
        ++*frameCount;
        if (onFrame != NULL)
            onFrame(context, (int)r.min_incl_x, (int)r.min_incl_y, (int)width, (int)height, buffer);
    }
}

const char* KorvantaWuffsDecode(const uint8_t* data, size_t size, KorvantaWuffsFrameFn onFrame, void* context,
                                int* frameCount)
{
    *frameCount = 0;
    wuffs_gif__decoder* decoder = (wuffs_gif__decoder*)malloc(sizeof__wuffs_gif__decoder());
    if (decoder == NULL)
        return "no memory for the decoder";
    // Wuffs' fastest documented set-up: its internal buffers are written before they are read,
    // so it need not zero them.
    wuffs_base__status status = wuffs_gif__decoder__initialize(
        decoder, sizeof__wuffs_gif__decoder(), WUFFS_VERSION, WUFFS_INITIALIZE__LEAVE_INTERNAL_BUFFERS_UNINITIALIZED);
    wuffs_base__io_buffer source = wuffs_base__ptr_u8__reader((uint8_t*)data, size, true);
    wuffs_base__image_config imageConfig;
    if (wuffs_base__status__is_ok(&status))
        status = wuffs_gif__decoder__decode_image_config(decoder, &imageConfig, &source);
    const char* failure = NULL;
    if (wuffs_base__status__is_ok(&status)) {
        wuffs_base__pixel_config__set(&imageConfig.pixcfg, WUFFS_BASE__PIXEL_FORMAT__INDEXED__BGRA_BINARY,
                                      WUFFS_BASE__PIXEL_SUBSAMPLING__NONE,
                                      wuffs_base__pixel_config__width(&imageConfig.pixcfg),
                                      wuffs_base__pixel_config__height(&imageConfig.pixcfg));
        FrameList frames = {NULL, 0, 0};
        failure = DecodeFrames(decoder, &source, &imageConfig.pixcfg, &frames, onFrame, context, frameCount);
        FreeFrames(&frames);
    } else {
        failure = Message(status);
    }
    free(decoder);
    return failure;
}
