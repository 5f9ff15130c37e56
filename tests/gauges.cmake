wind_add_test(tst_gauges)
