# Given a target, qt_add_resources compiles the pictures into an object
# library that travels with the static library, so every program linking
# windcondition finds them without registering anything.
qt_add_resources(windcondition "artwork"
    PREFIX "/"
    BASE ${CMAKE_CURRENT_SOURCE_DIR}
    FILES
        icon-16.png
        icon-32.png
        icon-48.png
        banner.png
        warning.png
)
