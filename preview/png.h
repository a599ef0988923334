// PNG through libpng: pictures out for the previews, and in for the tests that compare them.
#pragma once

#include <string>
#include <string_view>

#include "preview/render.h"

namespace preview {

// The PNG bytes of picture, as 8-bit RGB (the previews are opaque); empty on failure.
std::string EncodePng(const Picture& picture);

// Decodes PNG bytes into RGBA; false with reason when they are not a readable PNG.
bool DecodePng(std::string_view bytes, Picture& picture, std::string& reason);

}  // namespace preview
