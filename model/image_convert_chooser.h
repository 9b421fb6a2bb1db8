// The image-convert dialog as the pages ask it: how an image's pixels are brought onto a new
// colour table (keep the indices, nearest colour, dither), or cancel. The Qt dialog answers it;
// headless callers and tests answer through their own implementations.
#pragma once

#include <optional>

#include "imaging/palette_fit.h"

namespace korvanta {

class ImageConvertChooser {
public:
    virtual ~ImageConvertChooser() = default;
    // The user's choice, or nothing on Cancel.
    virtual std::optional<PaletteFitMode> ChooseConvert() = 0;
};

}  // namespace korvanta
