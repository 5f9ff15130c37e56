wind_add_test(tst_inifile)
wind_add_test(tst_module1)
wind_add_test(tst_settingstext)
