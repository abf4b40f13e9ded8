#include "ExecutableAssessment.h"
#include "NativeUpdateArchiveVerification.h"
#include "NativeUpdateHelper.h"
#include "PersistentClipboard.h"
#include "UpdateConfiguration.h"
#include "VelloraApp.h"

#include <QStringList>

int main(int argc, char **argv)
{
    // The updater's modes look at the arguments before anything else exists:
    // the installation helper, the archive verification, and the probe that
    // tells a downloaded executable runs here.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    if (NativeUpdateHelper::runIfRequested(arguments))
        return 0;
    if (const std::optional<int> status =
            NativeUpdateArchiveVerification::runIfRequested(UpdateConfiguration::vellora(), arguments))
        return *status;
    if (const std::optional<int> status = ExecutableAssessment::answerProbeIfRequested(arguments))
        return *status;

    // A detached copy of this executable that keeps a copied text on the clipboard.
    if (const std::optional<int> status = PersistentClipboard::runOwnerIfRequested(argc, argv))
        return *status;

    return VelloraApp::main(argc, argv);
}
