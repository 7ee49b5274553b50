# The stream encodings (numbers, length-prefixed strings, lines).
qx_native_library(qx_stream_encodings SOURCES QXStream.cpp LIBS qx_strings)
qx_native_test(stream_tests SOURCES ../tests/native/StreamEncodingNativeTest.cpp LIBS qx_stream_encodings)
qx_native_fuzzer(stream_decoder_fuzzer SOURCES ../tests/fuzz/StreamDecoderFuzzer.cpp LIBS qx_stream_encodings
                 CORPUS ../tests/fuzz/corpus/stream)
# A child's command line split into words (the Linux host's CreateProcess).
qx_native_library(qx_command_words SOURCES QXProcess.cpp)
qx_native_test(command_words_tests SOURCES ../tests/unit/CommandWordsTest.cpp LIBS qx_command_words)
