# kwz_shared_library(<Name> SOURCES <abi sources> LINK <targets> [HEADER <public header>]
#                    EXPORTS <symbol>...)
#   Builds the shared library <Name> with the project's version and so-name, links the static
#   core and exports exactly the listed C symbols through a linker version script. The test
#   <Name>_exports checks the built library against the list and the list against the
#   header's KWZ_API declarations.
function(kwz_shared_library name)
    cmake_parse_arguments(ARG "" "HEADER" "SOURCES;EXPORTS;LINK" ${ARGN})
    add_library(${name} SHARED ${ARG_SOURCES})
    # The exported C functions are the ABI: the so-name changes with the major version.
    set_target_properties(${name} PROPERTIES VERSION ${PROJECT_VERSION}
                                             SOVERSION ${PROJECT_VERSION_MAJOR})
    set(script ${CMAKE_CURRENT_BINARY_DIR}/${name}.map)
    set(body "{\n  global:\n")
    foreach(sym ${ARG_EXPORTS})
        string(APPEND body "    ${sym};\n")
    endforeach()
    string(APPEND body "  local: *;\n};\n")
    file(WRITE ${script} "${body}")
    target_link_options(${name} PRIVATE "-Wl,--version-script=${script}")
    # clang leaves the sanitizer and coverage runtimes to the executable, so sanitized shared
    # libraries keep those symbols undefined until they are loaded.
    if(NOT (KWZ_FUZZ OR (KWZ_SANITIZE AND CMAKE_CXX_COMPILER_ID MATCHES "Clang")))
        target_link_options(${name} PRIVATE "-Wl,--no-undefined")
    endif()
    set_property(TARGET ${name} APPEND PROPERTY LINK_DEPENDS ${script})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/include)
    if(ARG_LINK)
        target_link_libraries(${name} PRIVATE ${ARG_LINK})
    endif()
    if(ARG_HEADER)
        kwz_export_test(${name} HEADER ${ARG_HEADER} ${ARG_EXPORTS})
    else()
        kwz_export_test(${name} ${ARG_EXPORTS})
    endif()
endfunction()

# kwz_gtest(<name> SOURCES ... LINK ...): one GoogleTest executable registered with CTest.
# Tests, fuzz targets and benchmarks link the test support (platform/testing).
function(kwz_gtest name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LINK;ENV" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE ${ARG_LINK} kwz_test_support GTest::gtest GTest::gtest_main GTest::gmock Threads::Threads)
    target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/include ${PROJECT_SOURCE_DIR})
    include(GoogleTest)
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60)
    # The tests are found after the build, and a list cannot pass through their discovery as a
    # property: CTest reads their environment from a script it runs once they are known.
    set(environment ${ARG_ENV} ${KWZ_TEST_ENVIRONMENT})
    if(environment)
        set(script ${CMAKE_CURRENT_BINARY_DIR}/${name}_environment.cmake)
        file(WRITE ${script}
             "if(${name}_TESTS)\n"
             "  set_tests_properties(\${${name}_TESTS} PROPERTIES ENVIRONMENT [==[${environment}]==])\n"
             "endif()\n")
        set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${script})
    endif()
endfunction()

# kwz_test_environment(<test>...): gives tests of the current folder the environment every
# test runs with (sanitizer options in sanitized builds), keeping what they set themselves.
function(kwz_test_environment)
    if(KWZ_TEST_ENVIRONMENT)
        set_property(TEST ${ARGN} APPEND PROPERTY ENVIRONMENT ${KWZ_TEST_ENVIRONMENT})
    endif()
endfunction()

# kwz_fuzz_target(<name> SOURCES ... LINK ... CORPUS <dir>)
#   With KWZ_FUZZ a libFuzzer binary; otherwise the same entry point driven by a small
#   main that replays every file of the seed corpus, registered as a test.
function(kwz_fuzz_target name)
    cmake_parse_arguments(ARG "" "CORPUS" "SOURCES;LINK" ${ARGN})
    if(KWZ_FUZZ)
        add_executable(${name} ${ARG_SOURCES} ${PROJECT_SOURCE_DIR}/fuzz/sanitizer_hooks.cpp)
        target_link_options(${name} PRIVATE -fsanitize=fuzzer)
    else()
        add_executable(${name} ${ARG_SOURCES} ${PROJECT_SOURCE_DIR}/fuzz/replay_main.cpp
                               ${PROJECT_SOURCE_DIR}/fuzz/sanitizer_hooks.cpp)
        if(KWZ_BUILD_TESTS AND ARG_CORPUS)
            add_test(NAME ${name}_corpus COMMAND ${name} ${ARG_CORPUS})
            kwz_test_environment(${name}_corpus)
        endif()
    endif()
    target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/include ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} PRIVATE ${ARG_LINK} kwz_test_support)
endfunction()

# kwz_benchmark(<name> [OWN_MAIN] SOURCES ... LINK ...)
#   A Google Benchmark program with the shared main of bench/common (ratios beside targets),
#   or with its own main (a program that needs a QApplication around the benchmarks).
function(kwz_benchmark name)
    cmake_parse_arguments(ARG "OWN_MAIN" "" "SOURCES;LINK" ${ARGN})
    if(ARG_OWN_MAIN)
        add_executable(${name} ${ARG_SOURCES})
    else()
        add_executable(${name} ${ARG_SOURCES} ${PROJECT_SOURCE_DIR}/bench/common/ratio.cpp)
    endif()
    target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/include ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} PRIVATE ${ARG_LINK} kwz_test_support benchmark::benchmark
                          Threads::Threads)
    # A short run with the tests keeps every benchmark working and its own checks (same output
    # as the baseline, figures really drawn) honest; the figures themselves mean nothing here.
    if(KWZ_BUILD_TESTS)
        add_test(NAME ${name}.Runs COMMAND ${name} --benchmark_min_time=0.001)
        set_tests_properties(${name}.Runs PROPERTIES FAIL_REGULAR_EXPRESSION "ERROR OCCURRED"
                             ENVIRONMENT "QT_QPA_PLATFORM=offscreen" TIMEOUT 300)
    endif()
endfunction()

# kwz_export_test(<shared library target> [HEADER <header>] <symbol>...)
#   A test that the library's dynamic symbol table defines exactly the listed symbols and
#   that every function the header declares with KWZ_API is among them.
function(kwz_export_test target)
    if(NOT KWZ_BUILD_TESTS)
        return()
    endif()
    cmake_parse_arguments(ARG "" "HEADER" "" ${ARGN})
    string(REPLACE ";" "," expected "${ARG_UNPARSED_ARGUMENTS}")
    set(header "")
    if(ARG_HEADER)
        get_filename_component(header ${ARG_HEADER} ABSOLUTE)
    endif()
    add_test(NAME ${target}_exports
             COMMAND ${CMAKE_COMMAND} -DLIBRARY=$<TARGET_FILE:${target}> -DEXPECTED=${expected}
                     -DHEADER=${header} -DNM=${CMAKE_NM}
                     -P ${PROJECT_SOURCE_DIR}/cmake/check_exports.cmake)
    kwz_test_environment(${target}_exports)
endfunction()
