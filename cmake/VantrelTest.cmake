# vantrel_add_test(<name> SOURCES <files...> LIBS <targets...> [ENV <VAR=value...>] [LABELS <labels>])
# A GoogleTest program registered with CTest, run from the output folder so that the modules
# beside it are found, on Qt's offscreen platform. VANTREL_CAMERA is sim-none unless the test
# says otherwise (ENV, or setenv in the test): an unset variable makes the modules search the
# network for real cameras, which no test may do.
# Every test gets settings and data folders of its own (XDG_CONFIG_HOME, XDG_DATA_HOME), made
# empty before it runs and removed after it, so that no test writes the user's home: prefix
# the test's command with VANTREL_TEST_HOME.
set(VANTREL_TEST_HOME sh -c [=[home=$(mktemp -d) || exit 1
XDG_CONFIG_HOME=$home/config XDG_DATA_HOME=$home/data "$@"
status=$?
rm -rf "$home"
exit $status]=] vantrel-test-home)
find_package(GTest REQUIRED)
function(vantrel_add_test name)
    cmake_parse_arguments(T "" "" "SOURCES;LIBS;ENV;LABELS" ${ARGN})
    add_executable(${name} ${T_SOURCES})
    target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main)
    set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
    add_test(NAME ${name} COMMAND ${VANTREL_TEST_HOME} $<TARGET_FILE:${name}>
        WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
    set(environment QT_QPA_PLATFORM=offscreen VANTREL_BIN_DIR=${VANTREL_BIN_DIR}
        VANTREL_CAMERA=sim-none ${T_ENV})
    set_tests_properties(${name} PROPERTIES
        ENVIRONMENT "${environment}"
        LABELS "${T_LABELS}")
endfunction()
