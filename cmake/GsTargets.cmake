# Shared compile settings and target helpers.

# Plain IEEE arithmetic everywhere: one rounding per operation, in the order
# written. GCC would otherwise fuse multiply-adds where the processor has FMA.
add_compile_options(-ffp-contract=off)
if(GS_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()
if(GS_FUZZ)
  # Every library is instrumented for coverage, not only the fuzz drivers:
  # libFuzzer can only steer by the edges it sees.
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()

add_library(gs_warnings INTERFACE)
target_compile_options(gs_warnings INTERFACE
  $<$<CXX_COMPILER_ID:GNU,Clang>:-Wall -Wextra -Wno-missing-field-initializers>)

# gs_add_test(<target> [QT_CORE_MAIN] SOURCES ... LIBRARIES ... [LABELS ...]): one
# GoogleTest binary; its tests carry the labels given. QT_CORE_MAIN gives it a
# main that makes a QCoreApplication first, with QStandardPaths in test mode,
# and runs it headless.
function(gs_add_test target)
  cmake_parse_arguments(ARG "QT_CORE_MAIN" "" "SOURCES;LIBRARIES;LABELS" ${ARGN})
  add_executable(${target} ${ARG_SOURCES})
  set(properties)
  if(ARG_LABELS)
    list(APPEND properties LABELS "${ARG_LABELS}")
  endif()
  if(ARG_QT_CORE_MAIN)
    target_sources(${target} PRIVATE ${PROJECT_SOURCE_DIR}/cmake/qt_core_test_main.cpp)
    target_link_libraries(${target} PRIVATE ${ARG_LIBRARIES} gs_warnings GTest::gtest Qt6::Core)
    list(APPEND properties ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
  else()
    target_link_libraries(${target} PRIVATE ${ARG_LIBRARIES} gs_warnings GTest::gtest GTest::gtest_main)
  endif()
  if(properties)
    gtest_discover_tests(${target} DISCOVERY_TIMEOUT 60 PROPERTIES ${properties})
  else()
    gtest_discover_tests(${target} DISCOVERY_TIMEOUT 60)
  endif()
endfunction()

# gs_add_benchmark(<target> [PRIVATE_HEADERS] SOURCES ... LIBRARIES ... [INCLUDES ...]):
# PRIVATE_HEADERS lets it include the library's own src/ headers, INCLUDES adds
# further folders (the tests' helpers, say).
function(gs_add_benchmark target)
  if(NOT GS_BENCH)
    return()
  endif()
  cmake_parse_arguments(ARG "PRIVATE_HEADERS" "" "SOURCES;LIBRARIES;INCLUDES" ${ARGN})
  add_executable(${target} ${ARG_SOURCES})
  target_link_libraries(${target} PRIVATE ${ARG_LIBRARIES} gs_warnings benchmark::benchmark benchmark::benchmark_main)
  gs_private_includes(${target} ${ARG_PRIVATE_HEADERS} "${ARG_INCLUDES}")
endfunction()

# The private header folder (src/ of the library being defined) and any others.
function(gs_private_includes target private folders)
  if(private)
    target_include_directories(${target} PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/src)
  endif()
  if(folders)
    target_include_directories(${target} PRIVATE ${folders})
  endif()
endfunction()

# gs_add_fuzzer(<name> [PRIVATE_HEADERS] SOURCE <file> CORPUS <dir> LIBRARIES ...):
# a libFuzzer target under clang with GS_FUZZ, and in every build a replay
# driver that runs the seed corpus as an ordinary test. PRIVATE_HEADERS lets
# both include the library's own src/ headers.
function(gs_add_fuzzer name)
  cmake_parse_arguments(ARG "PRIVATE_HEADERS" "SOURCE;CORPUS" "LIBRARIES" ${ARGN})
  add_executable(${name}_replay ${ARG_SOURCE} ${PROJECT_SOURCE_DIR}/cmake/fuzz_replay_main.cpp)
  target_link_libraries(${name}_replay PRIVATE ${ARG_LIBRARIES} gs_warnings)
  gs_private_includes(${name}_replay ${ARG_PRIVATE_HEADERS} "")
  add_test(NAME ${name}_seeds COMMAND ${name}_replay ${ARG_CORPUS})
  if(GS_FUZZ)
    add_executable(${name}_fuzz ${ARG_SOURCE})
    target_compile_options(${name}_fuzz PRIVATE -fsanitize=fuzzer,address,undefined)
    target_link_options(${name}_fuzz PRIVATE -fsanitize=fuzzer,address,undefined)
    target_link_libraries(${name}_fuzz PRIVATE ${ARG_LIBRARIES} gs_warnings)
    gs_private_includes(${name}_fuzz ${ARG_PRIVATE_HEADERS} "")
  endif()
endfunction()
