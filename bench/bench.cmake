# wind-bench: the real main window, listening loop and serial control on a
# pseudo-terminal, measured against the sensor line's limits. Built with the
# project, never run as a test.
find_package(Threads REQUIRED)

add_executable(wind-bench
    main.cpp
    linefeeder.h linefeeder.cpp
    processfigures.h processfigures.cpp
    startupprobe.h startupprobe.cpp
    windowsession.h windowsession.cpp
)
target_link_libraries(wind-bench PRIVATE windcondition Threads::Threads)
target_compile_options(wind-bench PRIVATE -Wall -Wextra)
set_target_properties(wind-bench PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
# Start-up is timed on the application itself, which sits beside the bench.
add_dependencies(wind-bench wind-condition)
