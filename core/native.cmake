# Strings: number text, the string heap and the string objects.
qx_native_library(qx_strings SOURCES QXNumberText.cpp QXString.cpp LIBS qx_kernel)
qx_native_test(string_tests SOURCES ../tests/unit/StringNumberTextTest.cpp LIBS qx_strings)
