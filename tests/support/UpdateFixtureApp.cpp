// vellora-update-fixture: a small real executable to put in test bundles. Like
// vellora, it answers the updater's probe and runs the installation helper;
// anything else ends it with status 3.
#include "ExecutableAssessment.h"
#include "NativeUpdateHelper.h"

#include <QStringList>

int main(int argc, char **argv) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    if (NativeUpdateHelper::runIfRequested(arguments))
        return 0;
    if (const std::optional<int> status = ExecutableAssessment::answerProbeIfRequested(arguments))
        return *status;
    return 3;
}
