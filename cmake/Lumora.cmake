# lumora_require_folder(<folder>): a folder of the tree without its CMakeLists.txt stops the
# configuration, naming it, so that nothing the folder builds is silently left out.
function(lumora_require_folder folder)
  if(NOT EXISTS ${CMAKE_SOURCE_DIR}/${folder}/CMakeLists.txt)
    message(FATAL_ERROR "${folder}/CMakeLists.txt is missing: every folder of the tree is part of the build")
  endif()
endfunction()

# lumora_area_folders(<root> <out>): the folders under <root> (relative to the top), each required,
# but for those in LUMORA_SHARED_FOLDERS.
function(lumora_area_folders root out)
  file(GLOB entries RELATIVE ${CMAKE_SOURCE_DIR} LIST_DIRECTORIES true ${CMAKE_SOURCE_DIR}/${root}/*)
  set(folders "")
  foreach(entry IN LISTS entries)
    if(IS_DIRECTORY ${CMAKE_SOURCE_DIR}/${entry} AND NOT entry IN_LIST LUMORA_SHARED_FOLDERS)
      lumora_require_folder(${entry})
      list(APPEND folders ${entry})
    endif()
  endforeach()
  set(${out} ${folders} PARENT_SCOPE)
endfunction()

# lumora_test(NAME <exe> SOURCES ... LIBS ... LABELS ... [LONG <test>...])
# One test executable per deliverable; every case is registered with CTest by gtest discovery. The
# target lumora_threaded_tests builds those labelled sim or threads, which run under ThreadSanitizer.
if(NOT TARGET lumora_threaded_tests)
  add_custom_target(lumora_threaded_tests)
endif()
# Tests named LONG run long: CTest starts them first, so that they do not end a parallel run alone.
function(lumora_test)
  cmake_parse_arguments(T "" "NAME" "SOURCES;LIBS;LABELS;LONG" ${ARGN})
  add_executable(${T_NAME} ${T_SOURCES})
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} GTest::gtest GTest::gmock GTest::gtest_main)
  if(NOT T_LABELS)
    set(T_LABELS unit)
  endif()
  if("sim" IN_LIST T_LABELS OR "threads" IN_LIST T_LABELS)
    add_dependencies(lumora_threaded_tests ${T_NAME})
  endif()
  gtest_discover_tests(${T_NAME}
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen"
    DISCOVERY_TIMEOUT 60)
  # Discovery flattens its PROPERTIES list, so a second label would be lost there: the labels are set
  # on the discovered tests by a script that CTest reads after the discovered list.
  set(labels_script ${CMAKE_CURRENT_BINARY_DIR}/${T_NAME}_labels.cmake)
  set(long_tests "")
  foreach(test IN LISTS T_LONG)
    string(APPEND long_tests "  list(FIND ${T_NAME}_TESTS \"${test}\" at)\n  if(at GREATER -1)\n"
                             "    set_tests_properties(\"${test}\" PROPERTIES COST 1000)\n  endif()\n")
  endforeach()
  file(WRITE ${labels_script}
    "if(DEFINED ${T_NAME}_TESTS)\n  set_tests_properties(\${${T_NAME}_TESTS} PROPERTIES LABELS \"${T_LABELS}\")\n"
    "${long_tests}endif()\n")
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${labels_script})
endfunction()

# lumora_fuzzer(NAME <exe> SOURCES ... LIBS ...): a libFuzzer target, built only with LUMORA_FUZZ.
# The target lumora_fuzzers builds every fuzzer and only what they need.
if(NOT TARGET lumora_fuzzers)
  add_custom_target(lumora_fuzzers)
endif()
function(lumora_fuzzer)
  cmake_parse_arguments(F "" "NAME" "SOURCES;LIBS" ${ARGN})
  add_executable(${F_NAME} ${F_SOURCES})
  target_link_libraries(${F_NAME} PRIVATE ${F_LIBS})
  target_link_options(${F_NAME} PRIVATE -fsanitize=fuzzer)
  add_dependencies(lumora_fuzzers ${F_NAME})
endfunction()
