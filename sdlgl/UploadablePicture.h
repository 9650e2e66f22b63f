#pragma once

#include "imaging/Picture.h"

// The picture in a form every texture upload takes: 8-bit grey becomes RGB
// and 8-bit grey with alpha becomes RGBA (the grey in each colour channel,
// the alpha kept). Any other picture (RGB, RGBA, BGRA, no content, samples
// other than 8 bits, or a buffer shorter than its metadata claims) is
// returned as it is, shared, for the upload to accept or refuse.
Picture uploadablePicture(const Picture& picture);
