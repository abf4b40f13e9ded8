#pragma once

// Owners of Leptonica's image handles.

#include <leptonica/allheaders.h>

#include <memory>

struct PixDeleter {
    void operator()(PIX *pix) const { pixDestroy(&pix); }
};
using PixPointer = std::unique_ptr<PIX, PixDeleter>;

struct BoxaDeleter {
    void operator()(BOXA *boxes) const { boxaDestroy(&boxes); }
};
using BoxaPointer = std::unique_ptr<BOXA, BoxaDeleter>;

struct PixaDeleter {
    void operator()(PIXA *images) const { pixaDestroy(&images); }
};
using PixaPointer = std::unique_ptr<PIXA, PixaDeleter>;
