#pragma once

#include <QString>

// What the main window asks of a gauge: load a movie by its file name and set
// one of the movie's variables. The movie's file name chooses the gauge.
class GaugeMovie
{
public:
    virtual ~GaugeMovie() = default;
    virtual void loadMovie(int layer, const QString &url) = 0;
    virtual void setVariable(const QString &name, const QString &value) = 0;
};
