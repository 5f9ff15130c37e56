# The wind display.
wind_add_test(tst_numberformat)
wind_add_test(tst_winddirection)
wind_add_test(tst_beaufort)
wind_add_test(tst_winddisplay windowfixture.h)
