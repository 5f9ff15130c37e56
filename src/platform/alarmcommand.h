// SPDX-License-Identifier: MIT
#pragma once

#include <QObject>
#include <QStringList>

// Runs the alarm section's Command on every raise and clear, with the
// arguments "raise" or "clear", the alarm's name and its value appended to
// the ones the setting gives. No shell sees any of it, and nothing waits
// for the program: it is started and left to run; its end is noticed when
// Qt reports it, and its failures (it cannot be started, it exits with
// another code than 0 or crashes) are reported once through failed(), and
// again only after a run has succeeded. The program's output goes to the
// application's own terminal.
//
// Programs still running when this object is destroyed (the application
// closing) are ended.
class AlarmCommand : public QObject
{
    Q_OBJECT

public:
    // command: the program, then its first arguments; empty runs nothing.
    explicit AlarmCommand(QStringList command, QObject *parent = nullptr);

    // value: the figure as the alarm log writes it.
    void run(bool raised, const QString &alarm, const QString &value);

signals:
    // Names the program and what went wrong.
    void failed(const QString &message);

private:
    void report(const QString &problem);

    QStringList m_command;
    bool m_failing = false;
};
