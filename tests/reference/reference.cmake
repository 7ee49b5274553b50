# The reference (docs/reference): every registered name has an entry that
# matches the registry, every runtime error text the code raises is written
# out, the checked-in index is the one the build generates, and every example
# builds, runs and prints what its page says.
find_package(Python3 REQUIRED COMPONENTS Interpreter)
set(QX_REFERENCE_TESTS ${CMAKE_CURRENT_LIST_DIR})

add_test(NAME Reference.IndexIsCurrent
         COMMAND bash -c "diff -u \"$0\" \"$1\" || { echo 'docs/reference/index.md is stale: cmake --build build --target reference_index_update'; exit 1; }"
                 ${QX_REFERENCE_DIR}/index.md ${QX_REFERENCE_INDEX})
add_test(NAME Reference.EveryNameAndErrorHasAnEntry
         COMMAND ${Python3_EXECUTABLE} ${QX_REFERENCE_TESTS}/check_reference.py ${QX_REFERENCE_REGISTRY}
                 ${QX_REFERENCE_DIR} ${CMAKE_SOURCE_DIR})
add_test(NAME Reference.CheckerCatchesEachKindOfFault
         COMMAND ${Python3_EXECUTABLE} ${QX_REFERENCE_TESTS}/check_reference_test.py)
set_tests_properties(Reference.IndexIsCurrent Reference.EveryNameAndErrorHasAnEntry
                     Reference.CheckerCatchesEachKindOfFault PROPERTIES TIMEOUT 60)

# Examples: extracted when the build is configured (a page that changes
# configures it again), then built like any other program.
set(QX_REFERENCE_EXAMPLES ${CMAKE_BINARY_DIR}/reference/examples)
execute_process(COMMAND ${Python3_EXECUTABLE} ${QX_REFERENCE_TESTS}/extract_examples.py ${QX_REFERENCE_EXAMPLES}
                        ${QX_REFERENCE_PAGES}
                COMMAND_ERROR_IS_FATAL ANY)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${QX_REFERENCE_PAGES}
             ${QX_REFERENCE_TESTS}/extract_examples.py)
file(STRINGS ${QX_REFERENCE_EXAMPLES}/examples.txt QX_REFERENCE_EXAMPLE_LIST)
set(QX_REFERENCE_EXAMPLE_TARGETS)
foreach(line ${QX_REFERENCE_EXAMPLE_LIST})
    string(REPLACE "\t" ";" fields "${line}")
    list(GET fields 0 name)
    list(GET fields 3 problem)
    set(test ReferenceExample.${name})
    if(problem)
        add_test(NAME ${test} COMMAND ${Python3_EXECUTABLE} ${QX_REFERENCE_TESTS}/run_example.py --broken "${problem}")
    else()
        string(MAKE_C_IDENTIFIER "refex_${name}" program)
        qx_add_program(${program} OUTPUT_DIR ${QX_REFERENCE_EXAMPLES}/bin
                       SOURCES ${QX_REFERENCE_EXAMPLES}/src/${name}.c)
        list(APPEND QX_REFERENCE_EXAMPLE_TARGETS program_${program})
        add_test(NAME ${test}
                 COMMAND ${Python3_EXECUTABLE} ${QX_REFERENCE_TESTS}/run_example.py ${QX_WINE_RUN}
                         $<TARGET_FILE:qxrun> ${QX_REFERENCE_EXAMPLES}/bin/${program}.exe
                         ${QX_REFERENCE_EXAMPLES}/src/${name}.out ${QX_REFERENCE_EXAMPLES}/run/${name})
    endif()
    set_tests_properties(${test} PROPERTIES TIMEOUT 90)
endforeach()
