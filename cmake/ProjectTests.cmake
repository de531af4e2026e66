# Test helpers shared by every subsystem's tests/ folder.
#
#   annotate_unit_test(name SOURCES ... LIBS ...)  GoogleTest, no display
#   annotate_gl_test(name SOURCES ... LIBS ...)    GoogleTest under an X server
#   annotate_e2e_test(name COMMAND ...)            a script driving a real program
#
# GL and end-to-end tests run through tests/support/with_display.sh, which uses
# the caller's DISPLAY or the Xvfb server that the "xvfb" fixture starts, and
# they hold the "display" resource lock so that they never share the screen.

find_package(GTest REQUIRED)

set(ANNOTATE_TEST_SUPPORT ${PROJECT_SOURCE_DIR}/tests/support)
set(ANNOTATE_DISPLAY_FILE ${CMAKE_BINARY_DIR}/xvfb.display)

if(NOT TARGET annotate_test_support_registered)
  add_custom_target(annotate_test_support_registered)
  add_test(NAME xvfb_start
           COMMAND ${ANNOTATE_TEST_SUPPORT}/xvfb_fixture.sh start ${ANNOTATE_DISPLAY_FILE})
  add_test(NAME xvfb_stop
           COMMAND ${ANNOTATE_TEST_SUPPORT}/xvfb_fixture.sh stop ${ANNOTATE_DISPLAY_FILE})
  set_tests_properties(xvfb_start PROPERTIES FIXTURES_SETUP xvfb LABELS "gl;e2e")
  set_tests_properties(xvfb_stop PROPERTIES FIXTURES_CLEANUP xvfb LABELS "gl;e2e")
endif()

set(ANNOTATE_TEST_ENV
    "ANNOTATE_DISPLAY_FILE=${ANNOTATE_DISPLAY_FILE}"
    "ANNOTATE_SOURCE_DIR=${PROJECT_SOURCE_DIR}"
    "ANNOTATE_BINARY_DIR=${CMAKE_BINARY_DIR}"
    "ASAN_OPTIONS=detect_leaks=1:abort_on_error=1"
    "LSAN_OPTIONS=suppressions=${ANNOTATE_TEST_SUPPORT}/lsan.supp:print_suppressions=0"
    "UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1"
    "TSAN_OPTIONS=suppressions=${ANNOTATE_TEST_SUPPORT}/tsan.supp:halt_on_error=1")

function(annotate_unit_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_include_directories(${name} PRIVATE ${ANNOTATE_TEST_SUPPORT})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main)
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES LABELS unit ENVIRONMENT "${ANNOTATE_TEST_ENV}")
endfunction()

function(annotate_gl_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_include_directories(${name} PRIVATE ${ANNOTATE_TEST_SUPPORT})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main)
  add_test(NAME ${name} COMMAND ${ANNOTATE_TEST_SUPPORT}/with_display.sh $<TARGET_FILE:${name}>)
  set_tests_properties(${name} PROPERTIES LABELS gl FIXTURES_REQUIRED xvfb
                       RESOURCE_LOCK display ENVIRONMENT "${ANNOTATE_TEST_ENV}")
endfunction()

function(annotate_e2e_test name)
  cmake_parse_arguments(T "" "" "COMMAND;DEPENDS" ${ARGN})
  add_test(NAME ${name} COMMAND ${ANNOTATE_TEST_SUPPORT}/with_display.sh ${T_COMMAND})
  set_tests_properties(${name} PROPERTIES LABELS e2e FIXTURES_REQUIRED xvfb
                       RESOURCE_LOCK display ENVIRONMENT "${ANNOTATE_TEST_ENV}")
endfunction()

# Every *_tests.cpp of the calling folder becomes one test program linked with
# LIBS (and SUPPORT sources): *_gl_tests.cpp run under X, the others without.
function(annotate_test_folder)
  cmake_parse_arguments(T "" "" "LIBS;SUPPORT" ${ARGN})
  file(GLOB test_files CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*_tests.cpp)
  foreach(file ${test_files})
    get_filename_component(name ${file} NAME_WE)
    if(name MATCHES "_gl_tests$")
      annotate_gl_test(${name} SOURCES ${file} ${T_SUPPORT} LIBS ${T_LIBS})
    else()
      annotate_unit_test(${name} SOURCES ${file} ${T_SUPPORT} LIBS ${T_LIBS})
    endif()
  endforeach()
endfunction()
