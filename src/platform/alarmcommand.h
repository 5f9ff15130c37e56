// SPDX-License-Identifier: MIT
#pragma once

#include <QObject>
#include <QStringList>

#include <vector>

class QSocketNotifier;
class QTimer;

// Runs the alarm section's Command on every raise and clear, with the
// arguments "raise" or "clear", the alarm's name and its value appended to
// the ones the setting gives. No shell sees any of it, and nothing waits
// for the program: each run starts at once, in a session of its own, and is
// left to run. A horn, a text message or an e-mail must get through, so a
// program outlives the application: closing it or ending it from its
// terminal (Ctrl+C, a closed terminal) does not end the program. The
// program's output goes to the application's own terminal.
//
// Its failures are reported once through failed(), and again only after a
// run has succeeded: a program that cannot be started is told at once; one
// that exits with another code than 0 or is killed is told when its end is
// seen, as long as the application still runs.
class AlarmCommand : public QObject
{
    Q_OBJECT

public:
    // command: the program, then its first arguments; empty runs nothing.
    explicit AlarmCommand(QStringList command, QObject *parent = nullptr);
    // Leaves every program running.
    ~AlarmCommand() override;

    // value: the figure as the alarm log writes it.
    void run(bool raised, const QString &alarm, const QString &value);

    // Programs started whose end has not been seen yet.
    int running() const { return int(m_runs.size()); }

signals:
    // Names the program and what went wrong.
    void failed(const QString &message);

private:
    struct Run
    {
        qint64 pid = 0;
        // Readable once the program has ended; none where the system lacks
        // process descriptors, and then m_poll looks every second.
        QSocketNotifier *ended = nullptr;
    };

    void reap(qint64 pid);
    void reapEnded();
    void forget(qint64 pid);
    void report(const QString &problem);

    QStringList m_command;
    bool m_failing = false;
    std::vector<Run> m_runs;
    QTimer *m_poll = nullptr;
};
