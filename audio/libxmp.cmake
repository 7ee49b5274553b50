# libxmp, cross-built from the Debian source package that scripts/setup
# fetches (apt-get source libxmp): its player with the MOD, S3M, XM and IT
# loaders, linked statically into the runtime (and, natively, into the audio
# engine, its tests and its fuzzer). Licence: docs/libxmp.md.
set(QX_LIBXMP_SOURCES)
# The Amiga filter simulation (mix_paula, under the LGPL) is left out; the
# player asks for it only when told to, which the runtime never does, and
# audio/libxmp/paula.c stands in for its entry points.
foreach(name virtual period player read_event dataio misc lfo scan control filter effects mixer mix_all
             load_helpers load hio smix memio extras med_extras hmn_extras md5 tempfile)
    list(APPEND QX_LIBXMP_SOURCES ${QX_LIBXMP_DIR}/src/${name}.c)
endforeach()
foreach(name common itsex sample xm_load mod_load s3m_load it_load)
    list(APPEND QX_LIBXMP_SOURCES ${QX_LIBXMP_DIR}/src/loaders/${name}.c)
endforeach()
add_library(qx_libxmp STATIC ${QX_LIBXMP_SOURCES} ${CMAKE_CURRENT_LIST_DIR}/libxmp/formats.c
            ${CMAKE_CURRENT_LIST_DIR}/libxmp/paula.c)
target_include_directories(qx_libxmp PRIVATE ${QX_LIBXMP_DIR}/src ${QX_LIBXMP_DIR}/include)
# MinGW's conforming printf family: libxmp then needs none of its own.
target_compile_definitions(qx_libxmp PRIVATE BUILDING_STATIC LIBXMP_NO_DEPACKERS LIBXMP_NO_PROWIZARD
                           __USE_MINGW_ANSI_STDIO=1)
# Third-party code: built as its authors wrote it, without our warning rules.
# Its mixers and loaders let signed values wrap on damaged modules (the
# fuzzer found three such places): wrapping integers make that defined, so
# the optimiser cannot turn it into something worse, in every build.
target_compile_options(qx_libxmp PRIVATE -w -Wno-error -fwrapv)
# Only the tracker player sees libxmp's header.
set_source_files_properties(${CMAKE_CURRENT_LIST_DIR}/engine/QXTrackerSong.cpp PROPERTIES
    INCLUDE_DIRECTORIES ${QX_LIBXMP_DIR}/include COMPILE_DEFINITIONS "QX_HAVE_LIBXMP;BUILDING_STATIC")
