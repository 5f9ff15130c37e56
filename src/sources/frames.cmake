target_sources(windcondition PRIVATE
    sensorframe.h sensorframe.cpp
)
