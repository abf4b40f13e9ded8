#include "TesseractTextEngine.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QPoint>
#include <QtGlobal>

#include <leptonica/allheaders.h>
#include <opencc/opencc.h>
#include <tesseract/baseapi.h>
#include <tesseract/resultiterator.h>

#include <algorithm>
#include <cmath>
#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

#ifdef VELLORA_HAVE_OPENMP
#include <omp.h>
#endif

namespace {

const QString engineErrorDomain = QStringLiteral("TextRecognition.Tesseract");

struct LanguageModel {
    const char16_t *identifier;
    const char *model;
};

// In preference order; also the order in which models are combined when the
// caller leaves the choice to the engine.
constexpr LanguageModel languageModels[] = {
    {u"zh-Hans", "chi_sim"},
    {u"zh-Hant", "chi_tra"},
    {u"en-US", "eng"},
};

struct TessBaseApiDeleter {
    void operator()(tesseract::TessBaseAPI *api) const {
        api->End();
        delete api;
    }
};
using TessBaseApiPointer = std::unique_ptr<tesseract::TessBaseAPI, TessBaseApiDeleter>;

struct PixDeleter {
    void operator()(PIX *pix) const { pixDestroy(&pix); }
};
using PixPointer = std::unique_ptr<PIX, PixDeleter>;

struct TesseractTextDeleter {
    void operator()(char *text) const { delete[] text; }
};
using TesseractText = std::unique_ptr<char, TesseractTextDeleter>;

struct OpenccDeleter {
    void operator()(void *handle) const { opencc_close(static_cast<opencc_t>(handle)); }
};
using OpenccPointer = std::unique_ptr<void, OpenccDeleter>;

struct OpenccTextDeleter {
    void operator()(char *text) const { opencc_convert_utf8_free(text); }
};
using OpenccText = std::unique_ptr<char, OpenccTextDeleter>;

Error engineError(qint64 code, const QString &description) {
    return Error{engineErrorDomain, code, description};
}

Error imageReaderError(const QString &description) {
    return Error{QString::fromUtf16(TextEngine::imageReaderErrorDomain), TextEngine::imageReaderErrorCode, description};
}

// ---------------------------------------------------------------------------
// Data folder

QString findDataPath(const QString &configured) {
    if (!configured.isEmpty())
        return QDir::cleanPath(configured);
    QStringList candidates;
    const QString prefix = qEnvironmentVariable("TESSDATA_PREFIX");
    if (!prefix.isEmpty()) {
        // Both conventions are in use: the folder itself, or its parent.
        candidates << prefix << QDir(prefix).filePath(QStringLiteral("tessdata"));
    }
#ifdef VELLORA_TESSDATA_PREFIX
    // The library's install prefix as pkg-config reported it at build time.
    const QString installPrefix = QStringLiteral(VELLORA_TESSDATA_PREFIX);
    candidates << installPrefix + QStringLiteral("/share/tesseract-ocr/%1/tessdata").arg(TESSERACT_MAJOR_VERSION)
               << installPrefix + QStringLiteral("/share/tesseract-ocr/%1.00/tessdata").arg(TESSERACT_MAJOR_VERSION - 1)
               << installPrefix + QStringLiteral("/share/tessdata");
#endif
    candidates << QStringLiteral("/usr/share/tesseract-ocr/%1/tessdata").arg(TESSERACT_MAJOR_VERSION)
               << QStringLiteral("/usr/share/tesseract-ocr/4.00/tessdata") << QStringLiteral("/usr/share/tessdata")
               << QStringLiteral("/usr/local/share/tessdata");
    for (const QString &candidate : std::as_const(candidates)) {
        const QDir dir(candidate);
        if (!dir.entryList({QStringLiteral("*.traineddata")}, QDir::Files).isEmpty())
            return QDir::cleanPath(dir.absolutePath());
    }
    return {};
}

// ---------------------------------------------------------------------------
// OpenMP threads

int threadLimitFromEnvironment() {
    bool ok = false;
    const int limit = qEnvironmentVariableIntValue("OMP_THREAD_LIMIT", &ok);
    return ok && limit > 0 ? limit : 0;
}

// libgomp reads OMP_THREAD_LIMIT when it is loaded, which for a program linked
// against libtesseract is before main(). Where the environment sets no limit,
// the variable is still set (for libraries loaded later and child processes)
// and, for a limit of one, every OpenMP region is made inactive, which is the
// same limit applied at run time.
void applyThreadLimit() {
    static std::once_flag once;
    std::call_once(once, [] {
        if (threadLimitFromEnvironment() > 0)
            return;
        const int limit = TesseractTextEngine::defaultThreadLimit();
        qputenv("OMP_THREAD_LIMIT", QByteArray::number(limit));
#ifdef VELLORA_HAVE_OPENMP
        if (limit == 1)
            omp_set_max_active_levels(0);
#endif
    });
}

// ---------------------------------------------------------------------------
// Preprocessing: what Tesseract reads best is dark text on a light, even
// background, lines of text about 30 to 40 pixels high, and a margin.

struct GreyImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> pixels;

    std::uint8_t &at(int x, int y) { return pixels[static_cast<size_t>(y) * width + x]; }
    std::uint8_t at(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

bool isReadableFormat(QImage::Format format) {
    switch (format) {
    case QImage::Format_Grayscale8:
    case QImage::Format_RGB888:
    case QImage::Format_BGR888:
    case QImage::Format_RGB32:
    case QImage::Format_ARGB32:
    case QImage::Format_ARGB32_Premultiplied:
    case QImage::Format_RGBX8888:
    case QImage::Format_RGBA8888:
    case QImage::Format_RGBA8888_Premultiplied:
        return true;
    default:
        return false;
    }
}

// Luminance of the image composed over white (transparent areas read as paper).
GreyImage toGrey(const QImage &source) {
    GreyImage grey;
    grey.width = source.width();
    grey.height = source.height();
    grey.pixels.resize(static_cast<size_t>(grey.width) * grey.height);
    if (source.format() == QImage::Format_Grayscale8) {
        for (int y = 0; y < grey.height; ++y)
            std::copy_n(source.constScanLine(y), grey.width, &grey.at(0, y));
        return grey;
    }
    const QImage argb = source.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < grey.height; ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(argb.constScanLine(y));
        for (int x = 0; x < grey.width; ++x) {
            const QRgb pixel = line[x];
            const int alpha = qAlpha(pixel);
            const int luminance = qGray(pixel);
            grey.at(x, y) = static_cast<std::uint8_t>((luminance * alpha + 255 * (255 - alpha) + 127) / 255);
        }
    }
    return grey;
}

int medianOf(std::vector<int> &values) {
    if (values.empty())
        return 0;
    const auto middle = values.begin() + static_cast<std::ptrdiff_t>(values.size() / 2);
    std::nth_element(values.begin(), middle, values.end());
    return *middle;
}

// The most frequent value of a row: a screen's background is one flat colour,
// while anti-aliased text spreads over many values, so even a row through
// dense text finds its background this way.
int modeOf(const std::uint8_t *values, int count) {
    int histogram[256] = {};
    for (int i = 0; i < count; ++i)
        ++histogram[values[i]];
    return int(std::max_element(std::begin(histogram), std::end(histogram)) - std::begin(histogram));
}

// Rows whose background is dark (a dark theme, a highlighted menu row, a
// coloured table header) are inverted, and every row's background is made
// white, so all text ends up dark on white and rows meet without edges. Thin
// flat margins of another colour at the ends of a row (the inset of a
// highlight) become background too.
// Each row's background: its most frequent value, taken as the median over
// the neighbouring rows. A row along the flat tops of a line of glyphs can
// hold more ink, or more of one anti-aliased edge value, than background;
// the neighbours outvote it.
std::vector<int> rowBackgrounds(const GreyImage &image) {
    std::vector<int> modes(static_cast<size_t>(image.height));
    for (int y = 0; y < image.height; ++y)
        modes[static_cast<size_t>(y)] = modeOf(image.pixels.data() + static_cast<size_t>(y) * image.width, image.width);
    constexpr int reach = 6;
    std::vector<int> backgrounds(modes.size());
    std::vector<int> window;
    for (int y = 0; y < image.height; ++y) {
        window.assign(modes.begin() + std::max(0, y - reach), modes.begin() + std::min(image.height, y + reach + 1));
        backgrounds[static_cast<size_t>(y)] = medianOf(window);
    }
    return backgrounds;
}

void makeBackgroundLight(GreyImage &image) {
    const std::vector<int> backgrounds = rowBackgrounds(image);
    const int marginLimit = std::max(3, std::min(12, image.width / 16));
    for (int y = 0; y < image.height; ++y) {
        std::uint8_t *row = &image.at(0, y);
        int background = backgrounds[static_cast<size_t>(y)];
        const auto far = [&](int x) {
            return std::abs(int(row[x]) - background) > 60;
        };
        for (int direction : {1, -1}) {
            const int start = direction > 0 ? 0 : image.width - 1;
            int length = 0;
            while (length < image.width && far(start + direction * length))
                ++length;
            if (length == 0 || length > marginLimit)
                continue;
            for (int i = 0; i < length; ++i)
                row[start + direction * i] = static_cast<std::uint8_t>(background);
        }
        if (background < 128) {
            for (int x = 0; x < image.width; ++x)
                row[x] = static_cast<std::uint8_t>(255 - row[x]);
            background = 255 - background;
        }
        for (int x = 0; x < image.width; ++x)
            row[x] = static_cast<std::uint8_t>(std::min(255, row[x] * 255 / std::max(background, 1)));
    }
}

constexpr int inkContrast = 60;

bool isInk(const GreyImage &image, const std::vector<int> &backgrounds, int x, int y) {
    return backgrounds[static_cast<size_t>(y)] - image.at(x, y) >= inkContrast;
}

// Table grid lines, separators and underlines touch the glyphs beside them and
// turn into stray characters; long straight runs of ink are painted over with
// the background. Both directions are found before either is erased, as they
// cross each other.
void removeRules(GreyImage &image, const std::vector<int> &backgrounds) {
    std::vector<std::pair<QPoint, QPoint>> runs;
    const int minimumHorizontal = std::max(60, image.width / 4);
    for (int y = 0; y < image.height; ++y) {
        int x = 0;
        while (x < image.width) {
            if (!isInk(image, backgrounds, x, y)) {
                ++x;
                continue;
            }
            int end = x;
            while (end < image.width && isInk(image, backgrounds, end, y))
                ++end;
            if (end - x >= minimumHorizontal)
                runs.emplace_back(QPoint(x, y), QPoint(end - 1, y));
            x = end;
        }
    }
    const int minimumVertical = std::max(20, image.height * 85 / 100);
    for (int x = 0; x < image.width; ++x) {
        int y = 0;
        while (y < image.height) {
            if (!isInk(image, backgrounds, x, y)) {
                ++y;
                continue;
            }
            // A rule crossing another one is white there: the crossing row
            // was all rule, so it became that row's background.
            int end = y;
            while (end < image.height && (isInk(image, backgrounds, x, end) ||
                                          (end + 2 < image.height && (isInk(image, backgrounds, x, end + 1) ||
                                                                      isInk(image, backgrounds, x, end + 2)))))
                ++end;
            if (end - y >= minimumVertical)
                runs.emplace_back(QPoint(x, y), QPoint(x, end - 1));
            y = end;
        }
    }
    for (const auto &[from, to] : runs) {
        for (int y = from.y(); y <= to.y(); ++y) {
            for (int x = from.x(); x <= to.x(); ++x)
                image.at(x, y) = static_cast<std::uint8_t>(backgrounds[static_cast<size_t>(y)]);
        }
    }
}

PixPointer toPix(const GreyImage &image, int margin);

// Filled shapes of one flat colour much larger than a character (a default
// button, a badge, a highlight narrower than the row) hide their text from the
// row's background: their fill is made white and their text dark, like a
// row's background.
void makeFilledShapesLight(GreyImage &image) {
    const PixPointer grey = toPix(image, 0);
    if (!grey)
        return;
    const PixPointer binary(pixThresholdToBinary(grey.get(), 215));
    if (!binary)
        return;
    PIXA *rawShapes = nullptr;
    BOXA *rawBoxes = pixConnComp(binary.get(), &rawShapes, 8);
    const std::unique_ptr<BOXA, void (*)(BOXA *)> boxes(rawBoxes, [](BOXA *b) { boxaDestroy(&b); });
    const std::unique_ptr<PIXA, void (*)(PIXA *)> shapes(rawShapes, [](PIXA *p) { pixaDestroy(&p); });
    if (!boxes || !shapes)
        return;
    const int count = pixaGetCount(shapes.get());
    std::vector<int> heights;
    for (int i = 0; i < count; ++i) {
        l_int32 x, y, w, h;
        boxaGetBoxGeometry(boxes.get(), i, &x, &y, &w, &h);
        if (h >= 3)
            heights.push_back(h);
    }
    const int typical = medianOf(heights);
    if (typical <= 0)
        return;
    for (int i = 0; i < count; ++i) {
        l_int32 bx, by, bw, bh;
        boxaGetBoxGeometry(boxes.get(), i, &bx, &by, &bw, &bh);
        if ((bw <= 3 * typical && bh <= 3 * typical) || bh < typical)
            continue;
        const PixPointer shape(pixaGetPix(shapes.get(), i, L_CLONE));
        const PixPointer holes(pixHolesByFilling(shape.get(), 4));
        const auto inShape = [&](int x, int y) {
            l_uint32 value = 0;
            pixGetPixel(shape.get(), x, y, &value);
            return value != 0;
        };
        const auto inHole = [&](int x, int y) {
            l_uint32 value = 0;
            if (holes)
                pixGetPixel(holes.get(), x, y, &value);
            return value != 0;
        };
        l_int32 ink = 0;
        pixCountPixels(shape.get(), &ink, nullptr);
        // Ink over most of its box: a merged run of glyphs never covers half.
        if (double(ink) / (double(bw) * bh) < 0.5)
            continue;
        // A filled shape: one flat colour covers most of it and what it encloses.
        std::vector<std::uint8_t> values;
        values.reserve(size_t(bw) * bh);
        for (int y = 0; y < bh; ++y) {
            for (int x = 0; x < bw; ++x) {
                if (inShape(x, y) || inHole(x, y))
                    values.push_back(image.at(bx + x, by + y));
            }
        }
        int background = modeOf(values.data(), int(values.size()));
        const auto flat = std::count_if(values.begin(), values.end(),
                                        [background](std::uint8_t v) { return std::abs(int(v) - background) <= 2; });
        if (values.empty() || double(flat) / double(values.size()) < 0.5)
            continue;
        const bool invert = background < 128;
        if (invert)
            background = 255 - background;
        for (int y = 0; y < bh; ++y) {
            for (int x = 0; x < bw; ++x) {
                if (!inShape(x, y) && !inHole(x, y))
                    continue;
                std::uint8_t &pixel = image.at(bx + x, by + y);
                const int value = invert ? 255 - pixel : pixel;
                pixel = static_cast<std::uint8_t>(std::min(255, value * 255 / std::max(background, 1)));
            }
        }
    }
}

// The median height of the bands of rows that hold ink: the height of a line of
// text, or 0 when the image holds none.
int typicalLineHeight(const GreyImage &image, const std::vector<int> &backgrounds) {
    std::vector<int> heights;
    int bandStart = -1;
    for (int y = 0; y <= image.height; ++y) {
        bool hasInk = false;
        if (y < image.height) {
            for (int x = 0; x < image.width && !hasInk; ++x)
                hasInk = isInk(image, backgrounds, x, y);
        }
        if (hasInk && bandStart < 0) {
            bandStart = y;
        } else if (!hasInk && bandStart >= 0) {
            if (y - bandStart >= 4)
                heights.push_back(y - bandStart);
            bandStart = -1;
        }
    }
    return medianOf(heights);
}

PixPointer toPix(const GreyImage &image, int margin) {
    PixPointer pix(pixCreate(image.width + 2 * margin, image.height + 2 * margin, 8));
    if (!pix)
        return pix;
    pixSetAllArbitrary(pix.get(), 255);
    l_uint32 *data = pixGetData(pix.get());
    const l_int32 wordsPerLine = pixGetWpl(pix.get());
    for (int y = 0; y < image.height; ++y) {
        l_uint32 *line = data + static_cast<ptrdiff_t>(y + margin) * wordsPerLine;
        for (int x = 0; x < image.width; ++x)
            SET_DATA_BYTE(line, x + margin, image.at(x, y));
    }
    return pix;
}

GreyImage scaled(const GreyImage &image, double factor) {
    QImage source(image.pixels.data(), image.width, image.height, image.width, QImage::Format_Grayscale8);
    const QImage result = source.scaled(qRound(image.width * factor), qRound(image.height * factor),
                                        Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    GreyImage grey;
    grey.width = result.width();
    grey.height = result.height();
    grey.pixels.resize(static_cast<size_t>(grey.width) * grey.height);
    for (int y = 0; y < grey.height; ++y)
        std::copy_n(result.constScanLine(y), grey.width, &grey.at(0, y));
    return grey;
}

// ---------------------------------------------------------------------------
// Clean-ups of the engine's own artefacts

bool isHan(char32_t c) {
    return QChar::script(c) == QChar::Script_Han;
}

bool isChinese(char32_t c) {
    // Han characters, CJK punctuation and full-width forms.
    return isHan(c) || (c >= 0x3000 && c <= 0x303F) || (c >= 0xFF00 && c <= 0xFFEF);
}

char32_t fullWidthOf(char32_t c, bool opening) {
    switch (c) {
    case U',':
        return U'，';
    case U':':
        return U'：';
    case U';':
        return U'；';
    case U'?':
        return U'？';
    case U'!':
        return U'！';
    case U'(':
        return opening ? U'（' : 0;
    case U')':
        return opening ? 0 : U'）';
    default:
        return 0;
    }
}

// Tesseract puts a space between every two Chinese characters and reads the
// full-width punctuation of Chinese text as ASCII.
QString normalizeChineseLine(const QString &line) {
    std::u32string text = line.toStdU32String();
    std::u32string out;
    out.reserve(text.size());
    auto previousNonSpace = [&out]() -> char32_t {
        for (auto it = out.rbegin(); it != out.rend(); ++it) {
            if (*it != U' ')
                return *it;
        }
        return 0;
    };
    auto nextNonSpace = [&text](size_t from) -> char32_t {
        for (size_t i = from; i < text.size(); ++i) {
            if (text[i] != U' ')
                return text[i];
        }
        return 0;
    };
    for (size_t i = 0; i < text.size(); ++i) {
        const char32_t c = text[i];
        if (c == U' ') {
            const char32_t before = previousNonSpace();
            const char32_t after = nextNonSpace(i + 1);
            if (!out.empty() && out.back() == U' ')
                continue;
            if (before && after && isChinese(before) && isChinese(after))
                continue;
            out.push_back(c);
            continue;
        }
        const char32_t before = previousNonSpace();
        const char32_t after = nextNonSpace(i + 1);
        const bool chineseBefore = before && isChinese(before);
        const bool chineseAfter = after && isChinese(after);
        char32_t wide = 0;
        if (c == U'(')
            wide = chineseAfter || chineseBefore ? fullWidthOf(c, true) : 0;
        else if (c == U')')
            wide = chineseBefore ? fullWidthOf(c, false) : 0;
        else if (chineseBefore)
            wide = fullWidthOf(c, false);
        // A clause of Chinese text may end in a number or a Latin word: the
        // comma before the next Chinese clause is still a Chinese one.
        else if ((c == U',' || c == U';') && chineseAfter &&
                 !(before >= U'0' && before <= U'9' && after >= U'0' && after <= U'9'))
            wide = fullWidthOf(c, false);
        if (wide) {
            while (!out.empty() && out.back() == U' ')
                out.pop_back();
            out.push_back(wide);
            while (i + 1 < text.size() && text[i + 1] == U' ' && c != U'(')
                ++i;
            continue;
        }
        out.push_back(c);
    }
    return QString::fromStdU32String(out);
}

} // namespace

// ---------------------------------------------------------------------------

struct Recognition {
    QStringList lines;
};

struct TesseractTextEngine::Private {
    TesseractTextEngineOptions options;
    QString dataPath;
    QStringList installedModels;

    std::mutex poolMutex;
    // Initialised engines not in use, by language string and dictionary setting.
    std::map<QString, std::vector<TessBaseApiPointer>> idle;
    std::atomic<int> loads{0};

    std::once_flag openccOnce;
    std::mutex openccMutex;
    OpenccPointer toSimplified;
    OpenccPointer toTraditional;

    TessBaseApiPointer acquire(const QByteArray &languages, bool dictionaries, Error *error);
    Result<Recognition> recognizeOnce(const QByteArray &languages, bool dictionaries, PIX *pix);
    void release(const QByteArray &languages, bool dictionaries, TessBaseApiPointer api);
    QString convert(const OpenccPointer &converter, const QString &text);
    QString unifyScript(const QString &text);
};

TessBaseApiPointer TesseractTextEngine::Private::acquire(const QByteArray &languages, bool dictionaries, Error *error) {
    const QString key = QString::fromLatin1(languages) + (dictionaries ? u'+' : u'-');
    {
        const std::lock_guard lock(poolMutex);
        auto &list = idle[key];
        if (!list.empty()) {
            TessBaseApiPointer api = std::move(list.back());
            list.pop_back();
            return api;
        }
    }
    // Loading takes a while; other threads keep recognising meanwhile.
    TessBaseApiPointer api(new tesseract::TessBaseAPI);
    std::vector<std::string> names;
    std::vector<std::string> values;
    if (!dictionaries) {
        names = {"load_system_dawg", "load_freq_dawg"};
        values = {"0", "0"};
    }
    const QByteArray path = QFile::encodeName(dataPath);
    const int status = api->Init(path.constData(), languages.constData(), tesseract::OEM_LSTM_ONLY, nullptr, 0, &names,
                                 &values, false);
    if (status != 0) {
        *error = engineError(1, QStringLiteral("Tesseract could not load the models “%1” from %2.")
                                    .arg(QString::fromLatin1(languages), dataPath));
        return nullptr;
    }
    ++loads;
    api->SetVariable("debug_file", "/dev/null");
    api->SetVariable("preserve_interword_spaces", "1");

    return api;
}

void TesseractTextEngine::Private::release(const QByteArray &languages, bool dictionaries, TessBaseApiPointer api) {
    api->Clear();
    const QString key = QString::fromLatin1(languages) + (dictionaries ? u'+' : u'-');
    const std::lock_guard lock(poolMutex);
    idle[key].push_back(std::move(api));
}

Result<Recognition> TesseractTextEngine::Private::recognizeOnce(const QByteArray &languages, bool dictionaries,
                                                                PIX *pix) {
    Error loadError;
    TessBaseApiPointer api = acquire(languages, dictionaries, &loadError);
    if (!api)
        return loadError;
    api->SetPageSegMode(static_cast<tesseract::PageSegMode>(options.pageSegmentationMode));
    api->SetImage(pix);
    if (api->Recognize(nullptr) != 0) {
        release(languages, dictionaries, std::move(api));
        return engineError(3, QStringLiteral("Tesseract could not recognise the image."));
    }
    Recognition recognition;
    {
        std::unique_ptr<tesseract::ResultIterator> iterator(api->GetIterator());
        if (iterator) {
            do {
                if (iterator->Empty(tesseract::RIL_TEXTLINE))
                    continue;
                const TesseractText text(iterator->GetUTF8Text(tesseract::RIL_TEXTLINE));
                if (!text)
                    continue;
                QString line = QString::fromUtf8(text.get());
                while (line.endsWith(u'\n'))
                    line.chop(1);
                if (line.trimmed().isEmpty())
                    continue;
                recognition.lines << line;
            } while (iterator->Next(tesseract::RIL_TEXTLINE));
        }
    }
    release(languages, dictionaries, std::move(api));
    return recognition;
}

QString TesseractTextEngine::Private::convert(const OpenccPointer &converter, const QString &text) {
    if (!converter)
        return text;
    const QByteArray utf8 = text.toUtf8();
    const std::lock_guard lock(openccMutex);
    OpenccText converted(opencc_convert_utf8(static_cast<opencc_t>(converter.get()), utf8.constData(),
                                             static_cast<size_t>(utf8.size())));
    return converted ? QString::fromUtf8(converted.get()) : text;
}

// The chi_sim and chi_tra models each read some characters in the other
// script; the whole result is turned into the script most of its characters
// are written in.
QString TesseractTextEngine::Private::unifyScript(const QString &text) {
    std::call_once(openccOnce, [this] {
        const auto open = [](const char *config) {
            opencc_t handle = opencc_open(config);
            return handle == reinterpret_cast<opencc_t>(-1) ? OpenccPointer() : OpenccPointer(handle);
        };
        toSimplified = open("t2s.json");
        toTraditional = open("s2tw.json");
    });
    if (!toSimplified || !toTraditional)
        return text;
    const std::u32string original = text.toStdU32String();
    bool hasHan = false;
    for (char32_t c : original)
        hasHan = hasHan || isHan(c);
    if (!hasHan)
        return text;
    const QString simplified = convert(toSimplified, text);
    const QString traditional = convert(toTraditional, text);
    const auto differences = [&original](const QString &other) {
        const std::u32string converted = other.toStdU32String();
        if (converted.size() != original.size())
            return static_cast<qsizetype>(original.size());
        qsizetype count = 0;
        for (size_t i = 0; i < original.size(); ++i)
            count += original[i] != converted[i] ? 1 : 0;
        return count;
    };
    // Characters that change when made simplified are traditional ones, and
    // the other way round.
    const qsizetype traditionalCharacters = differences(simplified);
    const qsizetype simplifiedCharacters = differences(traditional);
    if (traditionalCharacters == 0 || simplifiedCharacters == 0)
        return text;
    return traditionalCharacters > simplifiedCharacters ? traditional : simplified;
}

// ---------------------------------------------------------------------------

TesseractTextEngine::TesseractTextEngine()
    : TesseractTextEngine(TesseractTextEngineOptions()) {}

TesseractTextEngine::TesseractTextEngine(const TesseractTextEngineOptions &options)
    : d(std::make_unique<Private>()) {
    applyThreadLimit();
    d->options = options;
    d->dataPath = findDataPath(options.dataPath);
    if (!d->dataPath.isEmpty()) {
        for (const QFileInfo &file :
             QDir(d->dataPath).entryInfoList({QStringLiteral("*.traineddata")}, QDir::Files | QDir::Readable))
            d->installedModels << file.completeBaseName();
    }
}

TesseractTextEngine::~TesseractTextEngine() = default;

int TesseractTextEngine::defaultThreadLimit() {
    return 1;
}

QString TesseractTextEngine::dataPath() const {
    return d->dataPath;
}

int TesseractTextEngine::modelLoadCount() const {
    return d->loads.load();
}

Result<QStringList> TesseractTextEngine::supportedRecognitionLanguages() {
    if (d->dataPath.isEmpty())
        return engineError(2, QStringLiteral("No Tesseract data folder with language models was found."));
    QStringList identifiers;
    for (const LanguageModel &language : languageModels) {
        if (d->installedModels.contains(QLatin1StringView(language.model)))
            identifiers << QString::fromUtf16(language.identifier);
    }
    return identifiers;
}

Result<QList<TextObservation>> TesseractTextEngine::run(const QImage &image, const TextRecognitionSettings &settings) {
    if (image.isNull() || image.width() <= 0 || image.height() <= 0)
        return imageReaderError(QStringLiteral("The image has no pixels."));
    if (!isReadableFormat(image.format())) {
        return imageReaderError(
            QStringLiteral("The image reader cannot read pixel format %1.").arg(static_cast<int>(image.format())));
    }

    // Languages: the requested ones that have models, in the order given.
    QByteArrayList models;
    for (const QString &identifier : settings.recognitionLanguages) {
        for (const LanguageModel &language : languageModels) {
            const QByteArray model(language.model);
            if (identifier == QString::fromUtf16(language.identifier) &&
                d->installedModels.contains(QString::fromLatin1(model)) && !models.contains(model))
                models << model;
        }
    }
    if (models.isEmpty()) {
        // Nothing requested (or nothing installed of it): with automatic
        // detection every known model takes part, otherwise English alone.
        for (const LanguageModel &language : languageModels) {
            const QByteArray model(language.model);
            if (d->installedModels.contains(QString::fromLatin1(model)) &&
                (settings.automaticallyDetectsLanguage || model == "eng"))
                models << model;
        }
    }
    if (models.isEmpty()) {
        return engineError(2, QStringLiteral("No Tesseract language models were found in “%1”.")
                                  .arg(d->dataPath.isEmpty() ? QStringLiteral("(no data folder)") : d->dataPath));
    }
    const QByteArray languages = models.join('+');

    GreyImage grey = toGrey(image);
    int margin = 0;
    if (d->options.preprocess) {
        makeBackgroundLight(grey);
        // Filled shapes first: their rows would pass for thick rules.
        makeFilledShapesLight(grey);
        const std::vector<int> backgrounds = rowBackgrounds(grey);
        removeRules(grey, backgrounds);
        const int lineHeight = typicalLineHeight(grey, backgrounds);
        if (settings.recognitionLevel == TextRecognitionSettings::Level::Accurate && lineHeight > 0 &&
            lineHeight < d->options.targetLineHeight) {
            const double pixels = double(grey.width) * grey.height;
            double factor = std::min(3.0, double(d->options.targetLineHeight) / lineHeight);
            // Large images are not enlarged past 16 million pixels.
            factor = std::min(factor, std::sqrt(16e6 / pixels));
            if (factor > 1.1)
                grey = scaled(grey, factor);
            margin = qRound(std::max(lineHeight * factor / 2, 10.0));
        } else {
            margin = std::max(lineHeight / 2, 10);
        }
    }
    PixPointer pix = toPix(grey, margin);
    if (!pix)
        return imageReaderError(QStringLiteral("The image is too large to read."));
    pixSetResolution(pix.get(), 300, 300);

    Result<Recognition> recognition = d->recognizeOnce(models.join('+'), settings.usesLanguageCorrection, pix.get());
    if (!recognition.ok())
        return recognition.error();
    QStringList lines = recognition.value().lines;

    if (d->options.normalizeChinesePunctuation) {
        for (QString &line : lines)
            line = normalizeChineseLine(line);
    }
    if (d->options.unifyChineseScript && (models.contains("chi_sim") || models.contains("chi_tra"))) {
        const QStringList unified = d->unifyScript(lines.join(u'\n')).split(u'\n');
        if (unified.size() == lines.size())
            lines = unified;
    }
    QList<TextObservation> observations;
    for (const QString &line : std::as_const(lines))
        observations << TextObservation{{line}};
    return observations;
}
