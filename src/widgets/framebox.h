// SPDX-License-Identifier: MIT
#pragma once

#include <QWidget>

// A frame with an etched border and an optional caption in its top edge. Its
// children are placed at absolute positions and clipped by it.
class FrameBox : public QWidget
{
    Q_OBJECT

public:
    explicit FrameBox(const QString &caption, QWidget *parent = nullptr);

    QString caption() const { return m_caption; }

    // The caption's distance from the frame's left edge, and the room a
    // caption needs on its right.
    static constexpr int CaptionInset = 8;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QString m_caption;
};
