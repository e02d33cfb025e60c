#include "language/DesktopOpener.h"

#include <QProcess>
#include <QStandardPaths>

namespace vandrel::DesktopOpener {

void Open(const QUrl& url, QObject* context, std::function<void(bool opened)> done) {
    const QString program = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    if (program.isEmpty()) {
        done(false);
        return;
    }
    auto* process = new QProcess(context);
    process->setProgram(program);
    process->setArguments({url.toString(QUrl::FullyEncoded)});
    // What xdg-open has to say about a failure still goes where the program's messages go.
    process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process->setStandardOutputFile(QProcess::nullDevice());
    QObject::connect(process, &QProcess::errorOccurred, process,
                     [process, done](QProcess::ProcessError error) {
                         // Only a start that failed ends without the finished signal.
                         if (error == QProcess::FailedToStart) {
                             process->deleteLater();
                             done(false);
                         }
                     });
    QObject::connect(process, &QProcess::finished, process,
                     [process, done](int exitCode, QProcess::ExitStatus status) {
                         process->deleteLater();
                         done(status == QProcess::NormalExit && exitCode == 0);
                     });
    process->start();
}

} // namespace vandrel::DesktopOpener
