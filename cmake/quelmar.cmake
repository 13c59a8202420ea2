# Shared target helpers: every library folder, its tests/ folder and its fuzz
# targets are declared the same way.

# quelmar_qt_target(target): AUTOMOC and QT_NO_KEYWORDS, for Qt targets only.
function(quelmar_qt_target target)
  set_target_properties(${target} PROPERTIES AUTOMOC ON AUTORCC ON)
  target_compile_definitions(${target} PRIVATE QT_NO_KEYWORDS)
endfunction()

# quelmar_test(NAME name SOURCES ... LIBS ... [QT] [LABELS ...]): one test
# executable for a tests/ folder, run offscreen when it uses Qt.
function(quelmar_test)
  cmake_parse_arguments(T "QT" "NAME" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${T_NAME} ${T_SOURCES})
  target_link_libraries(${T_NAME} PRIVATE project_options ${T_LIBS})
  target_compile_definitions(${T_NAME} PRIVATE QUELMAR_ASSETS_DIR="${PROJECT_SOURCE_DIR}/assets")
  set_target_properties(${T_NAME} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  if(T_QT)
    quelmar_qt_target(${T_NAME})
  endif()
  add_test(NAME ${T_NAME} COMMAND ${T_NAME} WORKING_DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR})
  set_tests_properties(${T_NAME} PROPERTIES
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;ASAN_OPTIONS=halt_on_error=1:detect_leaks=0;UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1"
    LABELS "unit;${T_LABELS}"
    TIMEOUT 600)
endfunction()

# quelmar_fuzz(NAME fuzz_x SOURCE tests/fuzz_x.cpp LIBS ... SEEDS dir):
# with FUZZ=ON a libFuzzer binary; always a replay binary that runs the seed
# folder (and tests/regress) through the same entry point under ctest.
function(quelmar_fuzz)
  cmake_parse_arguments(F "" "NAME;SOURCE;SEEDS" "LIBS" ${ARGN})
  if(NOT IS_ABSOLUTE "${F_SEEDS}")
    set(F_SEEDS ${CMAKE_CURRENT_SOURCE_DIR}/${F_SEEDS})
  endif()
  add_executable(${F_NAME}_replay ${F_SOURCE} ${PROJECT_SOURCE_DIR}/cmake/fuzz_replay.cpp)
  target_link_libraries(${F_NAME}_replay PRIVATE project_options ${F_LIBS})
  set_target_properties(${F_NAME}_replay PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  add_test(NAME ${F_NAME}_replay COMMAND ${F_NAME}_replay ${F_SEEDS} ${CMAKE_CURRENT_SOURCE_DIR}/regress)
  set_tests_properties(${F_NAME}_replay PROPERTIES
    ENVIRONMENT "ASAN_OPTIONS=halt_on_error=1;UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1"
    LABELS "fuzz-replay")
  if(FUZZ)
    add_executable(${F_NAME} ${F_SOURCE})
    target_link_libraries(${F_NAME} PRIVATE project_options ${F_LIBS})
    target_compile_options(${F_NAME} PRIVATE -fsanitize=fuzzer)
    target_link_options(${F_NAME} PRIVATE -fsanitize=fuzzer)
    set_target_properties(${F_NAME} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/fuzz)
    add_dependencies(fuzzers ${F_NAME})
    file(WRITE ${CMAKE_BINARY_DIR}/fuzz/${F_NAME}.seeds "${F_SEEDS}")
  endif()
endfunction()

# quelmar_bench(NAME bench_x SOURCES ... LIBS ...): a Google Benchmark
# program in build/bench, run by `make bench`.
function(quelmar_bench)
  cmake_parse_arguments(B "QT" "NAME" "SOURCES;LIBS" ${ARGN})
  add_executable(${B_NAME} ${B_SOURCES})
  target_link_libraries(${B_NAME} PRIVATE project_options ${B_LIBS} benchmark::benchmark)
  set_target_properties(${B_NAME} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)
  if(B_QT)
    quelmar_qt_target(${B_NAME})
  endif()
endfunction()
