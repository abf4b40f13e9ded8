#include "ExecutableAssessment.h"
#include "NativeUpdateArchiveVerification.h"
#include "NativeUpdateHelper.h"
#include "PersistentClipboard.h"
#include "UpdateConfiguration.h"
#include "VelloraApp.h"

#include <QStringList>

#ifdef __GLIBC__
#include <malloc.h>
#endif

int main(int argc, char **argv)
{
#ifdef __GLIBC__
    // One heap for every thread. With an arena per thread, what the thread
    // that reads text leaves behind when its models go stays resident at rest
    // (about 4 MiB more); the threads here seldom allocate at the same time.
    // Set before any thread starts.
    mallopt(M_ARENA_MAX, 1);
#endif
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
