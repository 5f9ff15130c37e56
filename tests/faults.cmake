# Fault tests: real files, a real pseudo-terminal, the real window and the
# real executable.
wind_add_test(tst_faultline sensorframes.h)
wind_add_test(tst_faultsettings windowfixture.h)
target_compile_definitions(tst_faultsettings PRIVATE WIND_CONDITION_EXE="$<TARGET_FILE:wind-condition>")
add_dependencies(tst_faultsettings wind-condition)
wind_add_test(tst_faultexample windowfixture.h)
