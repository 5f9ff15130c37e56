# The settings file: its format, the atomic replacement and the conversions
# of its texts.
target_sources(windcondition PRIVATE
    module1.h module1.cpp
    settingstext.h settingstext.cpp
    inifile.h inifile.cpp
    atomicfile.h atomicfile.cpp
)
