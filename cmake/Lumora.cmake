# lumora_test(NAME <exe> SOURCES ... LIBS ... LABELS ...)
# One test executable per deliverable; every case is registered with CTest by gtest discovery.
function(lumora_test)
  cmake_parse_arguments(T "" "NAME" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${T_NAME} ${T_SOURCES})
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} GTest::gtest GTest::gmock GTest::gtest_main)
  if(NOT T_LABELS)
    set(T_LABELS unit)
  endif()
  gtest_discover_tests(${T_NAME}
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen"
    DISCOVERY_TIMEOUT 60)
  # Discovery flattens its PROPERTIES list, so a second label would be lost there: the labels are set
  # on the discovered tests by a script that CTest reads after the discovered list.
  set(labels_script ${CMAKE_CURRENT_BINARY_DIR}/${T_NAME}_labels.cmake)
  file(WRITE ${labels_script}
    "if(DEFINED ${T_NAME}_TESTS)\n  set_tests_properties(\${${T_NAME}_TESTS} PROPERTIES LABELS \"${T_LABELS}\")\nendif()\n")
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${labels_script})
endfunction()

# lumora_fuzzer(NAME <exe> SOURCES ... LIBS ...): a libFuzzer target, built only with LUMORA_FUZZ.
function(lumora_fuzzer)
  cmake_parse_arguments(F "" "NAME" "SOURCES;LIBS" ${ARGN})
  add_executable(${F_NAME} ${F_SOURCES})
  target_link_libraries(${F_NAME} PRIVATE ${F_LIBS})
  target_link_options(${F_NAME} PRIVATE -fsanitize=fuzzer)
  set_property(GLOBAL APPEND PROPERTY LUMORA_FUZZERS ${F_NAME})
endfunction()
