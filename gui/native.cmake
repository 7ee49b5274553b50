# The file chooser's filter list and starting name, from the program's texts.
qx_native_library(qx_gui_texts SOURCES QXFileFilter.cpp)
qx_native_test(gui_text_tests SOURCES ../tests/unit/FileFilterTest.cpp LIBS qx_gui_texts)
qx_native_fuzzer(file_filter_fuzzer SOURCES ../tests/fuzz/FileFilterFuzzer.cpp LIBS qx_gui_texts
                 CORPUS ../tests/fuzz/corpus/file_filter DICT ../tests/fuzz/dict/file_filter.dict)

# The gadget tree's portable store and the text area's range rules.
qx_native_library(qx_gui_gadgets
    SOURCES QXGadget.cpp QXTextArea.cpp QXItemArray.cpp QXLayout.cpp QXMenu.cpp
            ../events/QXEventSource.cpp ../events/QXFont.cpp
    LIBS qx_strings qx_events)
# QXRuntime.h, which the gadget store asks for the execution state, declares
# the host's Windows entry point.
target_compile_options(qx_gui_gadgets PRIVATE -fdeclspec -Wno-ignored-attributes)
qx_native_fuzzer(text_area_fuzzer SOURCES ../tests/fuzz/TextAreaFuzzer.cpp LIBS qx_gui_gadgets
                 CORPUS ../tests/fuzz/corpus/text_area)
