// SPDX-License-Identifier: MIT
#pragma once

#include "clockgauge.h"
#include "gaugewidget.h"

class QTimer;

// A clock of local time that ticks once a second, only while it can be
// seen.
class ClockWidget : public GaugeWidget
{
    Q_OBJECT

public:
    explicit ClockWidget(QWidget *parent = nullptr);
    ~ClockWidget() override;

    void setColourScheme(ColourScheme scheme);

signals:
    // The second hand moved: once a second while the clock is shown. Others
    // may do their once-a-second work here instead of waking the process
    // again.
    void secondTicked();

protected:
    void paintEvent(QPaintEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    ClockGauge m_clock;
    QTimer *m_tickTimer = nullptr;
};
