// SPDX-License-Identifier: MIT
#pragma once

#include "colourscheme.h"

#include "core/windrose.h"

#include <QWidget>

// A painted wind rose: north up, a wedge for each of the 16 sectors as long
// as its share of the samples, stacked outwards by Beaufort force in the
// colours of the main window's bar scale, dashed rings for the shares, and
// the calm share in the centre. It shows the rose it was last given.
class WindRosePlot : public QWidget
{
    Q_OBJECT

public:
    explicit WindRosePlot(QWidget *parent = nullptr);

    void setRose(const WindRose &rose);
    const WindRose &rose() const { return m_rose; }
    void setColourScheme(ColourScheme scheme);

    QSize sizeHint() const override;
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override { return width; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    WindRose m_rose;
    ColourScheme m_colourScheme = ColourScheme::Day;
};
