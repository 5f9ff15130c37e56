// SPDX-License-Identifier: MIT
#include "alarmcommand.h"

#include <QProcess>

AlarmCommand::AlarmCommand(QStringList command, QObject *parent)
    : QObject(parent)
    , m_command(std::move(command))
{ }

void AlarmCommand::run(bool raised, const QString &alarm, const QString &value)
{
    if (m_command.isEmpty())
        return;
    auto *process = new QProcess(this);
    process->setProgram(m_command.first());
    process->setArguments(
        m_command.mid(1)
        + QStringList{raised ? QStringLiteral("raise") : QStringLiteral("clear"), alarm, value});
    process->setProcessChannelMode(QProcess::ForwardedChannels);
    process->setStandardInputFile(QProcess::nullDevice());
    connect(process, &QProcess::errorOccurred, this, [this, process](QProcess::ProcessError error) {
        // Other errors (a crash, say) end in finished() as well.
        if (error != QProcess::FailedToStart)
            return;
        report(tr("cannot be started: %1").arg(process->errorString()));
        process->deleteLater();
    });
    connect(process, &QProcess::finished, this,
            [this, process](int exitCode, QProcess::ExitStatus status) {
                if (status == QProcess::CrashExit)
                    report(tr("crashed"));
                else if (exitCode != 0)
                    report(tr("exited with code %1").arg(exitCode));
                else
                    m_failing = false;
                process->deleteLater();
            });
    process->start();
}

void AlarmCommand::report(const QString &problem)
{
    if (m_failing)
        return;
    m_failing = true;
    emit failed(tr("The alarm command %1 %2.").arg(m_command.first(), problem));
}
