# cmake -DSOURCE_DIR=… -DBINARY_DIR=… -DVERSION=… -DZIP=… -P QueltPackage.cmake
# Lays out the Windows package in BINARY_DIR/dist/ and zips it into ZIP:
#   quelt-runtime-VERSION/  README.txt LICENSE.txt
#     bin/       runtime.exe runtime.dll qxpack.exe qxbind.exe qxhost.exe qxrun.exe
#     include/   quelt.h qxprog.h qxfigures.h (a program's own memory and handle figures)
#     docs/      the format documents and the command reference, as they are
#     examples/  the example programs with their pictures and sounds
#     licenses/  the notices of what is built into the runtime
set(name quelt-runtime-${VERSION})
set(stage ${BINARY_DIR}/dist/stage)
set(top ${stage}/${name})
file(REMOVE_RECURSE ${stage})
file(MAKE_DIRECTORY ${top}/bin ${top}/include ${top}/docs ${top}/examples ${top}/licenses)

foreach(program runtime.exe runtime.dll qxpack.exe qxbind.exe qxhost.exe qxrun.exe)
    if(NOT EXISTS ${BINARY_DIR}/bin/${program})
        message(FATAL_ERROR "package: ${BINARY_DIR}/bin/${program} is missing; build first")
    endif()
    file(COPY ${BINARY_DIR}/bin/${program} DESTINATION ${top}/bin)
endforeach()
file(COPY ${BINARY_DIR}/include/quelt.h ${SOURCE_DIR}/tools/include/qxprog.h ${SOURCE_DIR}/tools/include/qxfigures.h
     DESTINATION ${top}/include)

# Whatever reference and format documents there are.
file(GLOB documents ${SOURCE_DIR}/docs/*.md)
file(COPY ${documents} DESTINATION ${top}/docs)
if(IS_DIRECTORY ${SOURCE_DIR}/docs/reference)
    file(COPY ${SOURCE_DIR}/docs/reference DESTINATION ${top}/docs)
endif()
if(IS_DIRECTORY ${SOURCE_DIR}/docs/pictures)
    file(COPY ${SOURCE_DIR}/docs/pictures DESTINATION ${top}/docs)
endif()

# The examples as they are in the source: each program's files sit where it
# looks for them (assets/game/, editor/) once it is built in examples/.
file(GLOB examples ${SOURCE_DIR}/examples/*.c)
file(COPY ${examples} DESTINATION ${top}/examples)
file(GLOB example_folders LIST_DIRECTORIES true ${SOURCE_DIR}/examples/*)
foreach(folder ${example_folders})
    if(IS_DIRECTORY ${folder})
        file(COPY ${folder} DESTINATION ${top}/examples)
    endif()
endforeach()

# Windows users read these in Notepad: CR LF line ends.
configure_file(${SOURCE_DIR}/cmake/templates/README.txt.in ${top}/README.txt @ONLY NEWLINE_STYLE CRLF)
foreach(notice stb libxmp)
    configure_file(${SOURCE_DIR}/docs/licenses/${notice}.txt ${top}/licenses/${notice}.txt NEWLINE_STYLE CRLF)
endforeach()
# The MinGW-w64 run-time code linked statically into every program.
if(EXISTS /usr/share/doc/mingw-w64-i686-dev/copyright)
    configure_file(/usr/share/doc/mingw-w64-i686-dev/copyright ${top}/licenses/mingw-w64.txt NEWLINE_STYLE CRLF)
endif()
configure_file(${SOURCE_DIR}/LICENSE ${top}/LICENSE.txt NEWLINE_STYLE CRLF)

file(GLOB old_archives ${BINARY_DIR}/dist/quelt-runtime-*-win32.zip)
if(old_archives)
    file(REMOVE ${old_archives})
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E tar cf ${ZIP} --format=zip ${name}
                WORKING_DIRECTORY ${stage} RESULT_VARIABLE failed)
if(failed)
    message(FATAL_ERROR "package: cannot write ${ZIP}")
endif()
file(REMOVE_RECURSE ${stage})
