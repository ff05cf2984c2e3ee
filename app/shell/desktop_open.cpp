#include "app/shell/desktop_open.h"

#include <QProcess>
#include <memory>

void openWithDesktop(const QString& path, QObject* context, std::function<void()> failed)
{
    // Not a child of the context: a handler that waits for its viewer must not be killed when
    // the program ends first.
    auto* process = new QProcess();
    process->setStandardOutputFile(QProcess::nullDevice());
    auto reported = std::make_shared<bool>(false);
    auto fail = [failed = std::move(failed), reported] {
        if (*reported)
            return;
        *reported = true;
        failed();
    };
    QObject::connect(process, &QProcess::errorOccurred, context,
                     [process, fail](QProcess::ProcessError error) {
                         if (error != QProcess::FailedToStart)
                             return;
                         fail();
                         process->deleteLater();
                     });
    QObject::connect(process, &QProcess::finished, context,
                     [process, fail](int code, QProcess::ExitStatus status) {
                         if (status != QProcess::NormalExit || code != 0)
                             fail();
                         process->deleteLater();
                     });
    process->start(QStringLiteral("xdg-open"), {path});
}
