# The built-in gauges that stand in for the movie player.
target_sources(windcondition PRIVATE
    gaugeface.h gaugeface.cpp
    compassgauge.h compassgauge.cpp
    clockgauge.h clockgauge.cpp
    gaugewidget.h gaugewidget.cpp
)
