# The picture decoder built natively with the sanitizers: its unit tests and
# a fuzzer seeded with the test pictures and the malformed corpus.
qx_native_library(qx_picture_decoder SOURCES ${QX_ROOT}/graphics/picture/QXPictureDecoder.cpp)
target_include_directories(qx_picture_decoder PUBLIC /usr/include/stb)
qx_native_test(qx_picture_decoder_test
    SOURCES ${QX_ROOT}/tests/unit/PictureDecoderTest.cpp
    LIBS qx_picture_decoder)
target_compile_definitions(qx_picture_decoder_test PRIVATE QX_SOURCE_DIR="${QX_ROOT}")
qx_native_fuzzer(qx_picture_fuzzer
    SOURCES ${QX_ROOT}/graphics/picture/QXPictureFuzzer.cpp
    LIBS qx_picture_decoder
    CORPUS ${QX_ROOT}/tests/data/pictures
    DICT ${QX_ROOT}/tests/fuzz/dict/picture.dict)
