# The file chooser's filter list and starting name, from the program's texts.
qx_native_library(qx_gui_texts SOURCES QXFileFilter.cpp)
qx_native_test(gui_text_tests SOURCES ../tests/unit/FileFilterTest.cpp LIBS qx_gui_texts)
qx_native_fuzzer(file_filter_fuzzer SOURCES ../tests/fuzz/FileFilterFuzzer.cpp LIBS qx_gui_texts
                 CORPUS ../tests/fuzz/corpus/file_filter DICT ../tests/fuzz/dict/file_filter.dict)
