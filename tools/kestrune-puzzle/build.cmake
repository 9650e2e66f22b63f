# kestrune-puzzle-O0: the same tool with the puzzle model compiled without
# optimisation. Cuts are regenerated from stored seeds, so the tests check that
# both builds print the same bits.
if(KESTRUNE_TESTS)
  file(GLOB_RECURSE model_sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/model/*.cpp)
  add_executable(kestrune-puzzle-O0 ${sources} ${model_sources})
  target_include_directories(kestrune-puzzle-O0 PRIVATE ${PROJECT_SOURCE_DIR})
  target_link_libraries(kestrune-puzzle-O0 PRIVATE imaging geometry foundation)
  target_compile_options(kestrune-puzzle-O0 PRIVATE -O0)
  set_target_properties(kestrune-puzzle-O0 PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}/bin)
endif()
