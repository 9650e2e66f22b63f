# kestrune_library(NAME DIR [DEPS ...]): one static library from every source
# below DIR. New sources are picked up when CMake runs again.
function(kestrune_library name dir)
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${dir}/*.cpp)
  if(NOT sources)
    # Header-only so far.
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} INTERFACE ${ARGN})
    return()
  endif()
  add_library(${name} STATIC ${sources})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${ARGN})
endfunction()

# kestrune_tests(DIR LIBS...): one test program for every folder below DIR
# that holds *Test.cpp files, each test registered with ctest. A folder with a
# TestMain.cpp supplies its own main instead of GoogleTest's.
function(kestrune_tests dir)
  file(GLOB_RECURSE tests CONFIGURE_DEPENDS ${dir}/*Test.cpp)
  set(folders "")
  foreach(t ${tests})
    get_filename_component(f ${t} DIRECTORY)
    list(APPEND folders ${f})
  endforeach()
  list(REMOVE_DUPLICATES folders)
  foreach(f ${folders})
    file(RELATIVE_PATH rel ${PROJECT_SOURCE_DIR}/tests ${f})
    string(REPLACE "/" "_" name "test_${rel}")
    file(GLOB sources CONFIGURE_DEPENDS ${f}/*.cpp)
    add_executable(${name} ${sources})
    target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/tests)
    # A folder with its own TestMain.cpp (set-up before any test) brings its
    # main. A folder named gl holds drawing tests, one named wayland tests of
    # windows on a Wayland compositor (in a program that makes no GLX
    # context): the OpenGL harness (tests/support/gl: fixtures, render
    # targets, the compositor and the main) comes with both.
    get_filename_component(leaf ${f} NAME)
    if((leaf STREQUAL "gl" OR leaf STREQUAL "wayland") AND TARGET kestrune_gltest)
      set(gtest_entry kestrune_gltest GTest::gtest)
    elseif(EXISTS ${f}/TestMain.cpp)
      set(gtest_entry GTest::gtest)
    else()
      set(gtest_entry GTest::gtest_main)
    endif()
    target_link_libraries(${name} PRIVATE ${ARGN} kestrune_testsupport ${gtest_entry} Threads::Threads)
    target_compile_definitions(${name} PRIVATE KESTRUNE_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
                                               KESTRUNE_BINARY_DIR="${PROJECT_BINARY_DIR}")
    gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60
                         PROPERTIES LABELS "${rel}")
  endforeach()
endfunction()

# kestrune_all_libraries(VAR): every library of the project built so far,
# highest first, for programs that may use any of them.
function(kestrune_all_libraries var)
  set(libraries foundation)
  foreach(lib geometry imaging model sdlgl ui game)
    if(TARGET ${lib})
      list(PREPEND libraries ${lib})
    endif()
  endforeach()
  set(${var} ${libraries} PARENT_SCOPE)
endfunction()
