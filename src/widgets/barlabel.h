// SPDX-License-Identifier: MIT
#pragma once

#include <QLabel>

// A bar of the speed scale: a red label whose vertical position is set in
// twips as a single-precision number and may lie far outside its frame.
class BarLabel : public QLabel
{
    Q_OBJECT

public:
    explicit BarLabel(QWidget *parent = nullptr);

    float top() const { return m_top; }
    void setTop(float twips);

private:
    float m_top = 0;
};
