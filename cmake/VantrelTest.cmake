# vantrel_add_test(<name> SOURCES <files...> LIBS <targets...> [ENV <VAR=value...>] [LABELS <labels>])
# A GoogleTest program registered with CTest, run from the output folder so that the modules
# beside it are found, on Qt's offscreen platform. VANTREL_CAMERA is sim-none unless the test
# says otherwise (ENV, or setenv in the test): an unset variable makes the modules search the
# network for real cameras, which no test may do.
find_package(GTest REQUIRED)
function(vantrel_add_test name)
    cmake_parse_arguments(T "" "" "SOURCES;LIBS;ENV;LABELS" ${ARGN})
    add_executable(${name} ${T_SOURCES})
    target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main)
    set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
    add_test(NAME ${name} COMMAND ${name} WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
    set(environment QT_QPA_PLATFORM=offscreen VANTREL_BIN_DIR=${VANTREL_BIN_DIR}
        VANTREL_CAMERA=sim-none ${T_ENV})
    set_tests_properties(${name} PROPERTIES
        ENVIRONMENT "${environment}"
        LABELS "${T_LABELS}")
endfunction()
