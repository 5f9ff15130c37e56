# Paints the pictures in resources/. Not part of the normal build: run it by
# hand after changing the artwork and check in what it writes, e.g.
#   cmake --build build --target make-artwork
#   QT_QPA_PLATFORM=offscreen build/tools/make-artwork resources
add_executable(make-artwork EXCLUDE_FROM_ALL artwork/make-artwork.cpp)
target_link_libraries(make-artwork PRIVATE Qt6::Gui)
