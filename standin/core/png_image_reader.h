// read_image's PNG files.
#pragma once

#include <istream>

#include "object.h"

namespace standin {

// True when the stream, at its start, holds a PNG file.
bool startsAsPng(std::istream& in);

// Reads the whole PNG file as one 8-bit grey image; a bad file raises the operator's error.
Object readPngImage(std::istream& in, const char* op);

}  // namespace standin
