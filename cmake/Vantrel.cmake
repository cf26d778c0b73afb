# Build helpers shared by every folder.

# Adds the platform implementation of each seam: NAME_win32.cpp in the Windows
# build, NAME_portable.cpp in the native one.
function(vantrel_seam_sources target)
  foreach(seam IN LISTS ARGN)
    target_sources(${target} PRIVATE ${seam}_${VANTREL_PLATFORM}.cpp)
  endforeach()
endfunction()

# One GoogleTest executable per module. Natively it is registered with CTest;
# in the Windows build scripts/wine-tests.sh runs every *_tests.exe under Wine.
function(vantrel_add_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} vantrel_test_support GTest::gtest_main)
  if(NOT WIN32)
    add_test(NAME ${name} COMMAND ${name} --gtest_brief=1)
    # A hang fails the suite instead of holding the whole run.
    set_tests_properties(${name} PROPERTIES TIMEOUT 900)
  endif()
endfunction()
