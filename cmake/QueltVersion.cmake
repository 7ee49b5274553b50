# The version: project()'s number, the one place it is set. A build from a git
# checkout that is not exactly at the tag v<number> appends `git describe`
# ("0.9.0+3b90ad9", "0.9.0+v0.9.0.4.g3b90ad9.dirty"). Taken when CMake
# configures; scripts/package configures again so that an archive's name is current.
set(QX_VERSION ${PROJECT_VERSION})
find_package(Git QUIET)
if(GIT_FOUND AND EXISTS ${CMAKE_SOURCE_DIR}/.git)
    execute_process(COMMAND ${GIT_EXECUTABLE} describe --tags --always --dirty
                    WORKING_DIRECTORY ${CMAKE_SOURCE_DIR}
                    OUTPUT_VARIABLE QX_GIT_DESCRIBE OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
    if(QX_GIT_DESCRIBE AND NOT QX_GIT_DESCRIBE STREQUAL "v${PROJECT_VERSION}")
        string(REPLACE "-" "." QX_GIT_DESCRIBE "${QX_GIT_DESCRIBE}")
        set(QX_VERSION "${PROJECT_VERSION}+${QX_GIT_DESCRIBE}")
    endif()
endif()
message(STATUS "Quelt runtime version ${QX_VERSION}")

set(QX_GENERATED_DIR ${CMAKE_BINARY_DIR}/generated)
configure_file(${CMAKE_SOURCE_DIR}/cmake/templates/QXVersion.h.in ${QX_GENERATED_DIR}/QXVersion.h @ONLY)

# qx_version_resource(TARGET FILE TYPE DESCRIPTION): compiles the version
# resource with windres and links it into TARGET. (windres by hand, so that the
# compiler options every C and C++ file gets are not handed to it.)
function(qx_version_resource target file type description)
    set(QX_RC_FILE ${file})
    set(QX_RC_TYPE ${type})
    set(QX_RC_DESCRIPTION ${description})
    set(rc ${QX_GENERATED_DIR}/${target}-version.rc)
    set(object ${QX_GENERATED_DIR}/${target}-version.o)
    configure_file(${CMAKE_SOURCE_DIR}/cmake/templates/version.rc.in ${rc} @ONLY)
    add_custom_command(OUTPUT ${object}
        COMMAND ${CMAKE_RC_COMPILER} -I${QX_GENERATED_DIR} -O coff -o ${object} ${rc}
        DEPENDS ${rc} ${QX_GENERATED_DIR}/QXVersion.h
        COMMENT "Version resource of ${file}")
    target_sources(${target} PRIVATE ${object})
    set_source_files_properties(${object} PROPERTIES EXTERNAL_OBJECT TRUE GENERATED TRUE)
endfunction()
