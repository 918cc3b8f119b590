# GoogleTest from Debian: the packaged library on Linux; for the Windows cross build, compiled
# from the sources Debian ships in /usr/src/googletest.
include(GoogleTest)
if(CMAKE_CROSSCOMPILING)
    set(TC_GTEST_SRC /usr/src/googletest CACHE PATH "GoogleTest sources")
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
    add_subdirectory(${TC_GTEST_SRC} ${CMAKE_BINARY_DIR}/_googletest EXCLUDE_FROM_ALL SYSTEM)
    # The win32 thread model of MinGW-w64's GCC 12 has no std::mutex, on which GoogleTest builds
    # its Notification: one of our own stands in.
    include(CheckCXXSourceCompiles)
    check_cxx_source_compiles("#include <mutex>\nstd::mutex m;\nint main() {}" TC_HAS_STD_MUTEX)
    if(NOT TC_HAS_STD_MUTEX)
        target_compile_definitions(gtest PUBLIC GTEST_HAS_NOTIFICATION_=1)
        target_compile_options(gtest PUBLIC
            -include ${PROJECT_SOURCE_DIR}/tests/support/gtest_notification.h)
    endif()
    # Newer GoogleTest sources define these aliases themselves.
    if(NOT TARGET GTest::gtest)
        add_library(GTest::gtest ALIAS gtest)
        add_library(GTest::gtest_main ALIAS gtest_main)
    endif()
else()
    find_package(GTest REQUIRED)
endif()

# One test executable per folder of tests/. On Linux every case is its own CTest test; under
# Wine each start costs a second, so there the executable runs as one test.
function(tc_add_gtest name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gtest_main tc_warnings)
    target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
    if(CMAKE_CROSSCOMPILING)
        add_test(NAME ${name} COMMAND ${name})
    else()
        # Cases are listed by their own names, not by the printed values of their parameters.
        gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST NO_PRETTY_VALUES)
    endif()
endfunction()
