# The portable sound engine, built natively (clang, sanitizers) by the native
# project: the mixer, the decoders and the mixer thread with its tests, and a
# fuzzer over the WAVE and Ogg Vorbis decoders.
set(QX_AUDIO_ENGINE_SOURCES
    ${QX_ROOT}/audio/engine/QXMixEngine.cpp
    ${QX_ROOT}/audio/engine/QXMixer.cpp
    ${QX_ROOT}/audio/engine/QXMixerThread.cpp
    ${QX_ROOT}/audio/engine/QXMp3Frames.cpp
    ${QX_ROOT}/audio/engine/QXSoundFile.cpp
    ${QX_ROOT}/audio/engine/QXSoundSource.cpp
    ${QX_ROOT}/audio/engine/QXStbVorbis.cpp
    ${QX_ROOT}/audio/engine/QXTrackerSong.cpp
    ${QX_ROOT}/audio/engine/QXVorbisDecoder.cpp
    ${QX_ROOT}/audio/engine/QXWavDecoder.cpp)
qx_native_library(qx_audio_engine SOURCES ${QX_AUDIO_ENGINE_SOURCES})
target_include_directories(qx_audio_engine PUBLIC ${QX_ROOT} /usr/include/stb)
# libxmp from the source that scripts/setup fetched into the main build tree,
# when it is there: then tracker modules play (and are fuzzed) natively too.
file(GLOB QX_LIBXMP_DIR LIST_DIRECTORIES true ${QX_ROOT}/build/third_party/libxmp-*)
if(QX_LIBXMP_DIR AND EXISTS ${QX_LIBXMP_DIR}/src/player.c)
    include(${QX_ROOT}/audio/libxmp.cmake)
    # Its mixers shift negative samples left on purpose (two's complement, as
    # every compiler we use does it); it converts the logarithm of a sample
    # rate a module may give as negative (NaN) to an int, which x86 turns into
    # INT_MIN as the runtime's build does too; and its mixer's sample counts
    # then wrap. It is built with wrapping integers (libxmp.cmake) and those
    # reports are turned off for it; the address sanitizer still checks where
    # such values lead (tests/fuzz/corpus/audio_tracker/regress_*).
    target_compile_options(qx_libxmp PRIVATE -fno-sanitize=shift-base,float-cast-overflow,signed-integer-overflow)
    # Its IT sample unpacker reads a bit width from the file and shifts by
    # 32 minus it, which a damaged sample makes negative: x86 masks the count,
    # the sample byte comes out wrong, and every write stays inside the
    # sample (the address sanitizer checks that). The report is off for that
    # file alone.
    set_source_files_properties(${QX_LIBXMP_DIR}/src/loaders/itsex.c PROPERTIES
        COMPILE_OPTIONS -fno-sanitize=shift-exponent)
    # A tone portamento on a channel that has played no note yet looks up the
    # instrument's key map at key -1: one entry before the map, still inside
    # the instrument's record (the address sanitizer sees no stray read), and
    # the instrument number read there is bounded right after. The report is
    # off for that file alone.
    set_source_files_properties(${QX_LIBXMP_DIR}/src/effects.c PROPERTIES
        COMPILE_OPTIONS -fno-sanitize=array-bounds)
    target_link_libraries(qx_audio_engine PUBLIC qx_libxmp)
    set(QX_NATIVE_TRACKER_TESTS ${QX_ROOT}/tests/unit/AudioTrackerTest.cpp)
else()
    message(STATUS "libxmp's source is not in build/third_party (scripts/setup fetches it): no native tracker tests")
endif()
# stb_vorbis converts out-of-range floats while it rejects damaged headers
# (lookup1_values), and its fast float-to-sample conversion overflows an int
# on damaged audio before it clamps the result. Both results are checked or
# clamped afterwards; the file is built with wrapping integers (as the runtime
# builds it too) and those two reports are turned off for it alone.
set_source_files_properties(${QX_ROOT}/audio/engine/QXStbVorbis.cpp PROPERTIES
    COMPILE_OPTIONS "-fwrapv;-fno-sanitize=float-cast-overflow,signed-integer-overflow")

# Test sounds made by Debian's tools (the tests skip those that are missing).
set(QX_NATIVE_AUDIO_DATA ${CMAKE_BINARY_DIR}/audio-data)
add_custom_command(OUTPUT ${QX_NATIVE_AUDIO_DATA}/stamp
    COMMAND ${QX_ROOT}/tests/audio/make-test-sounds ${QX_NATIVE_AUDIO_DATA}
    DEPENDS ${QX_ROOT}/tests/audio/make-test-sounds)
add_custom_target(qx_native_audio_sounds DEPENDS ${QX_NATIVE_AUDIO_DATA}/stamp)

qx_native_test(audio_engine_tests
    SOURCES ${QX_ROOT}/tests/unit/AudioMixerTest.cpp ${QX_ROOT}/tests/unit/AudioDecoderTest.cpp
            ${QX_ROOT}/tests/unit/AudioEngineTest.cpp ${QX_ROOT}/tests/unit/AudioPaceTest.cpp
            ${QX_NATIVE_TRACKER_TESTS}
    LIBS qx_audio_engine)
target_include_directories(audio_engine_tests PRIVATE ${QX_ROOT}/tests/unit)
target_compile_definitions(audio_engine_tests PRIVATE QX_AUDIO_DATA_DIR="${QX_NATIVE_AUDIO_DATA}")
add_dependencies(audio_engine_tests qx_native_audio_sounds)

# One fuzzer for each format, so each steers by its own decoder's coverage.
set(QX_AUDIO_FUZZ_FORMATS wav vorbis mp3)
if(QX_NATIVE_TRACKER_TESTS)
    list(APPEND QX_AUDIO_FUZZ_FORMATS tracker)
endif()
foreach(format ${QX_AUDIO_FUZZ_FORMATS})
    qx_native_fuzzer(audio_${format}_fuzzer
        SOURCES ${QX_ROOT}/tests/native/AudioDecoderFuzzer.cpp
        LIBS qx_audio_engine
        CORPUS ${QX_ROOT}/tests/fuzz/corpus/audio_${format}
        DICT ${QX_ROOT}/tests/fuzz/dict/audio_${format}.dict)
    if(TARGET audio_${format}_fuzzer)
        string(TOUPPER ${format} upper)
        target_compile_definitions(audio_${format}_fuzzer PRIVATE QX_FUZZ_${upper})
    endif()
endforeach()

# The mixer and its thread under ThreadSanitizer, where the toolchain has it:
# the program's thread changes channels while the mixer thread renders.
if(NOT DEFINED QX_AUDIO_TSAN)
    set(QX_AUDIO_TSAN ON)
endif()
if(QX_AUDIO_TSAN)
    add_executable(audio_mixer_tsan_tests ${QX_ROOT}/tests/unit/AudioMixerTest.cpp
                   ${QX_ROOT}/audio/engine/QXMixer.cpp ${QX_ROOT}/audio/engine/QXMixerThread.cpp
                   ${QX_ROOT}/audio/engine/QXSoundSource.cpp)
    target_include_directories(audio_mixer_tsan_tests PRIVATE ${QX_ROOT} ${QX_ROOT}/tests/unit)
    # ThreadSanitizer cannot share a program with the address sanitizer, so this
    # test takes a GoogleTest of its own built the same way.
    set(QX_TSAN -fno-sanitize=address,undefined -fsanitize=thread)
    set(QX_GTEST_ROOT /usr/src/googletest/googletest)
    add_library(audio_gtest_tsan STATIC ${QX_GTEST_ROOT}/src/gtest-all.cc ${QX_GTEST_ROOT}/src/gtest_main.cc)
    target_include_directories(audio_gtest_tsan PUBLIC ${QX_GTEST_ROOT}/include PRIVATE ${QX_GTEST_ROOT})
    target_compile_options(audio_gtest_tsan PRIVATE ${QX_TSAN} -Wno-error)
    target_compile_options(audio_mixer_tsan_tests PRIVATE ${QX_TSAN})
    target_link_options(audio_mixer_tsan_tests PRIVATE ${QX_TSAN})
    target_link_libraries(audio_mixer_tsan_tests PRIVATE audio_gtest_tsan pthread)
    add_test(NAME audio_mixer_tsan_tests COMMAND audio_mixer_tsan_tests)
    set_tests_properties(audio_mixer_tsan_tests PROPERTIES TIMEOUT 120)
endif()
