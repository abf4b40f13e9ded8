#pragma once

#include "OcrTexts.h"
#include "SampleCanvas.h"

// Samples of real Qt widgets in the Fusion style, as a desktop application
// shows them: dialogs, popup menus, tables, file lists, chat and documents.
// Needs a QApplication.
namespace WidgetSamples {

QStringList categories();

// A sample of category, in the vocabulary's language, drawn with the look
// at size pixels.
SampleCanvas::Drawn make(SampleCanvas::Generator &g, const QString &category, const OcrTexts::Vocabulary &v,
                         const SampleCanvas::Look &look, int size);

} // namespace WidgetSamples
