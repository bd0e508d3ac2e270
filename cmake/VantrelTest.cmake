# vantrel_add_test(<name> SOURCES <files...> LIBS <targets...> [ENV <VAR=value...>] [LABELS <labels>])
# A GoogleTest program registered with CTest, run from the output folder so that the modules
# beside it are found, on Qt's offscreen platform.
find_package(GTest REQUIRED)
function(vantrel_add_test name)
    cmake_parse_arguments(T "" "" "SOURCES;LIBS;ENV;LABELS" ${ARGN})
    add_executable(${name} ${T_SOURCES})
    target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main)
    set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
    add_test(NAME ${name} COMMAND ${name} WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
    set_tests_properties(${name} PROPERTIES
        ENVIRONMENT "QT_QPA_PLATFORM=offscreen;VANTREL_BIN_DIR=${VANTREL_BIN_DIR};${T_ENV}"
        LABELS "${T_LABELS}")
endfunction()
