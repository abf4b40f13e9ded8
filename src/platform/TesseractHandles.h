#pragma once

// Owners of the C handles of libtesseract.

#include "LeptonicaHandles.h"

#include <tesseract/baseapi.h>

#include <memory>

struct TessBaseApiDeleter {
    void operator()(tesseract::TessBaseAPI *api) const {
        api->End();
        delete api;
    }
};
using TessBaseApiPointer = std::unique_ptr<tesseract::TessBaseAPI, TessBaseApiDeleter>;

// Text that libtesseract hands over with new[].
struct TesseractTextDeleter {
    void operator()(char *text) const { delete[] text; }
};
using TesseractText = std::unique_ptr<char, TesseractTextDeleter>;
