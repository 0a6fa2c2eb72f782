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
    PROPERTIES LABELS "${T_LABELS}" ENVIRONMENT "QT_QPA_PLATFORM=offscreen"
    DISCOVERY_TIMEOUT 60)
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
