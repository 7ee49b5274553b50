# Tools that turn C programs into Quelt modules and stand-alone programs.

# The packer is a host tool: it only reads COFF objects and writes module images.
set(QX_PACKER ${CMAKE_BINARY_DIR}/host/qxpack)
file(GLOB QX_PACKER_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tools/pack/*.cpp ${CMAKE_SOURCE_DIR}/tools/pack/*.h)
list(FILTER QX_PACKER_SOURCES EXCLUDE REGEX "\\.h$")
add_custom_command(OUTPUT ${QX_PACKER}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/host
    COMMAND c++ -std=c++20 -O2 -Wall -Wextra -Werror -I${QX_GENERATED_DIR} -o ${QX_PACKER} ${QX_PACKER_SOURCES}
    DEPENDS ${QX_PACKER_SOURCES} ${QX_GENERATED_DIR}/QXVersion.h
    COMMENT "Building the host packer")
add_custom_target(qxpack DEPENDS ${QX_PACKER})

# Windows tools. The packer is built for Windows too, for the package
# (scripts/package), so that a Windows user needs nothing from Linux.
add_executable(qxpack_exe ${QX_PACKER_SOURCES})
set_target_properties(qxpack_exe PROPERTIES OUTPUT_NAME qxpack)
target_include_directories(qxpack_exe PRIVATE ${QX_GENERATED_DIR})

add_executable(qxbind tools/bind/main.cpp tools/bind/Binder.cpp)
target_include_directories(qxbind PRIVATE ${CMAKE_SOURCE_DIR} ${QX_GENERATED_DIR})

add_executable(qxhost tools/host/main.cpp)
target_include_directories(qxhost PRIVATE ${CMAKE_SOURCE_DIR} ${QX_GENERATED_DIR})
target_link_libraries(qxhost PRIVATE qxhostlink)

add_library(qxhostlink STATIC runtime/QXModuleImage.cpp runtime/QXLinkKey.cpp)
target_include_directories(qxhostlink PUBLIC ${CMAKE_SOURCE_DIR})

add_executable(qxrun tools/run/main.cpp tools/run/QXProgramRunner.cpp)
target_include_directories(qxrun PRIVATE ${CMAKE_SOURCE_DIR} ${QX_GENERATED_DIR} /usr/include/stb)
target_link_libraries(qxrun PRIVATE user32 gdi32)
# Hooked into the programs the runner starts, to record message box styles.
add_library(qxmbspy SHARED tools/run/QXMessageBoxSpy.cpp)
set_target_properties(qxmbspy PROPERTIES PREFIX "")
target_include_directories(qxmbspy PRIVATE ${CMAKE_SOURCE_DIR})
target_link_libraries(qxmbspy PRIVATE user32)
target_link_options(qxmbspy PRIVATE -Wl,--kill-at)
add_dependencies(qxrun qxmbspy)

# The C header for programs is generated from the runtime's own registry.
add_executable(qxheader tools/header/main.cpp)
target_link_libraries(qxheader PRIVATE ${QX_RUNTIME_WHOLE} qxruntime)
set(QX_HEADER_DIR ${CMAKE_BINARY_DIR}/include)
set(QX_HEADER ${QX_HEADER_DIR}/quelt.h)
add_custom_command(OUTPUT ${QX_HEADER}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${QX_HEADER_DIR}
    COMMAND ${QX_WINE_RUN} $<TARGET_FILE:qxheader> ${QX_HEADER}
    DEPENDS qxheader
    COMMENT "Generating quelt.h from the registry")
add_custom_target(qxheader_generated ALL DEPENDS ${QX_HEADER})

# The reference's index (docs/reference/index.md) and the registry listing its
# checks read, from the same registry. The build writes them under
# build/reference; the target reference_index_update copies the index into
# docs/reference, where a test keeps the checked-in copy current.
set(QX_REFERENCE_DIR ${CMAKE_SOURCE_DIR}/docs/reference)
file(GLOB QX_REFERENCE_PAGES CONFIGURE_DEPENDS ${QX_REFERENCE_DIR}/[0-9][0-9]-*.md)
set(QX_REFERENCE_INDEX ${CMAKE_BINARY_DIR}/reference/index.md)
set(QX_REFERENCE_REGISTRY ${CMAKE_BINARY_DIR}/reference/registry.txt)
add_custom_command(OUTPUT ${QX_REFERENCE_INDEX} ${QX_REFERENCE_REGISTRY}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/reference
    COMMAND ${QX_WINE_RUN} $<TARGET_FILE:qxheader> --registry ${QX_REFERENCE_REGISTRY}
    COMMAND ${QX_WINE_RUN} $<TARGET_FILE:qxheader> --index ${QX_REFERENCE_INDEX} ${QX_REFERENCE_PAGES}
    DEPENDS qxheader ${QX_REFERENCE_PAGES}
    COMMENT "Generating the reference's index from the registry")
add_custom_target(reference_index ALL DEPENDS ${QX_REFERENCE_INDEX} ${QX_REFERENCE_REGISTRY})
add_custom_target(reference_index_update
    COMMAND ${CMAKE_COMMAND} -E copy ${QX_REFERENCE_INDEX} ${QX_REFERENCE_DIR}/index.md
    DEPENDS reference_index)

# qx_add_program(NAME SOURCES a.c [b.c] [OUTPUT_DIR dir])
# Compiles C sources as compiled Quelt code would be (no C library), packs them
# into NAME.qxm and binds that into NAME.exe, a copy of runtime.exe.
function(qx_add_program name)
    cmake_parse_arguments(P "" "OUTPUT_DIR" "SOURCES" ${ARGN})
    if(NOT P_OUTPUT_DIR)
        set(P_OUTPUT_DIR ${CMAKE_BINARY_DIR}/programs)
    endif()
    set(objects)
    foreach(src ${P_SOURCES})
        get_filename_component(base ${src} NAME_WE)
        set(obj ${P_OUTPUT_DIR}/obj/${name}_${base}.o)
        add_custom_command(OUTPUT ${obj}
            COMMAND ${CMAKE_COMMAND} -E make_directory ${P_OUTPUT_DIR}/obj
            COMMAND ${CMAKE_C_COMPILER} -c -O1 -std=c11 -Wall -Wextra -Werror -ffreestanding
                    -fno-ident -fno-asynchronous-unwind-tables -fno-stack-protector -mno-stack-arg-probe
                    -I${QX_HEADER_DIR} -I${CMAKE_SOURCE_DIR}/tools/include -MD -MF ${obj}.d -o ${obj} ${src}
            DEPENDS ${src} ${QX_HEADER}
            # The compiler's list of headers read: a change to qxfigures.h or qxtest.h rebuilds.
            DEPFILE ${obj}.d
            COMMENT "Compiling program ${name}: ${base}.c")
        list(APPEND objects ${obj})
    endforeach()
    set(image ${P_OUTPUT_DIR}/${name}.qxm)
    set(exe ${P_OUTPUT_DIR}/${name}.exe)
    add_custom_command(OUTPUT ${image}
        COMMAND ${QX_PACKER} -o ${image} ${objects}
        DEPENDS ${QX_PACKER} ${objects}
        COMMENT "Packing ${name}.qxm")
    add_custom_command(OUTPUT ${exe}
        COMMAND ${QX_WINE_RUN} $<TARGET_FILE:qxbind> $<TARGET_FILE:runtime_exe> ${image} ${exe}
        DEPENDS qxbind runtime_exe ${image}
        COMMENT "Binding ${name}.exe")
    add_custom_target(program_${name} ALL DEPENDS ${image} ${exe})
endfunction()
