# The wind display: pure conversions and tables, and the main window's
# routines that show them.
target_sources(windcondition PRIVATE
    numberformat.h numberformat.cpp
    winddirection.h winddirection.cpp
    windspeed.h windspeed.cpp
    beaufort.h beaufort.cpp
    showdirection.cpp
    showspeed.cpp
    windreadouts.h windreadouts.cpp
)
