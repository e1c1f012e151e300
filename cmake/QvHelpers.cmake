# Helpers shared by every folder of the project.

# All headers are included by their path from the repository root
# ("platform/core/CString.h"), so a file shows which room it reaches into.
function(qv_target_defaults target)
  target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR})
endfunction()

# qv_add_tests(<prefix> LIBS <libs...> [ENV <VAR=value...>] [LABELS <labels...>]
#              [WINDOW_TESTS <regex>] [THREAD_TESTS <regex>])
# Every tests/*.cpp of the calling folder becomes one GoogleTest program named
# <prefix>_<file>, registered with CTest. Adding a test file needs no CMake edit.
# Tests of windows carry the label "window" (LABELS window for a whole folder,
# or WINDOW_TESTS for the files whose name matches): they run a second time on
# real X displays (scripts/xvfb-run-tests). Tests of the threads (THREAD_TESTS)
# carry the label "threads" and are what the target thread-tests builds: the
# ThreadSanitizer lane (scripts/tsan) runs them.
function(qv_add_tests prefix)
  if(NOT QV_TESTS)
    return()
  endif()
  cmake_parse_arguments(ARG "" "TIMEOUT;WINDOW_TESTS;THREAD_TESTS" "LIBS;ENV;LABELS;EXTRA_SOURCES" ${ARGN})
  file(GLOB test_sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/tests/*.cpp)
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 300)
  endif()
  foreach(src IN LISTS test_sources)
    get_filename_component(stem ${src} NAME_WE)
    set(name ${prefix}_${stem})
    add_executable(${name} ${src} ${ARG_EXTRA_SOURCES})
    qv_target_defaults(${name})
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gtest_main GTest::gmock pthread)
    add_test(NAME ${name} COMMAND ${name})
    # Each test program gets a runtime folder of its own: named objects and
    # shared memory live there, so test programs running side by side never
    # meet in one another's blocks or locks.
    set(runtime ${CMAKE_BINARY_DIR}/test-runtime/${name})
    file(MAKE_DIRECTORY ${runtime})
    file(CHMOD ${runtime} DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE)
    set(labels ${ARG_LABELS})
    if(ARG_WINDOW_TESTS AND stem MATCHES "${ARG_WINDOW_TESTS}")
      list(APPEND labels window)
    endif()
    if(ARG_THREAD_TESTS AND stem MATCHES "${ARG_THREAD_TESTS}")
      list(APPEND labels threads)
      add_dependencies(thread-tests ${name})
    endif()
    set_tests_properties(${name} PROPERTIES
      TIMEOUT ${ARG_TIMEOUT}
      ENVIRONMENT "QT_QPA_PLATFORM=offscreen;ASAN_OPTIONS=detect_leaks=1:abort_on_error=1;UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1;LSAN_OPTIONS=suppressions=${PROJECT_SOURCE_DIR}/tests/lsan.supp;TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1:suppressions=${PROJECT_SOURCE_DIR}/tests/tsan.supp;XDG_RUNTIME_DIR=${runtime};${ARG_ENV}"
      LABELS "${prefix};${labels}")
  endforeach()
endfunction()
