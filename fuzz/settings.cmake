# The settings and language files' portable core, built natively with clang: the fuzz
# targets of their laws and the core's own tests, all under the address and undefined-
# behaviour sanitizers (no recovery). With SETTINGS_COVERAGE the same programs are built
# for llvm-cov instead (fuzz targets run over the corpus with -runs=0).
set(VELLANTS_ROOT ${CMAKE_CURRENT_LIST_DIR}/..)
option(SETTINGS_COVERAGE "Build the settings core for line coverage instead of the sanitizers" OFF)

add_library(settings_core STATIC
  ${VELLANTS_ROOT}/foundation/StrPP.cpp
  ${VELLANTS_ROOT}/foundation/PooledText.cpp
  ${VELLANTS_ROOT}/environment/Messages.cpp
  ${VELLANTS_ROOT}/environment/LexiconTable.cpp
  ${VELLANTS_ROOT}/environment/LanguageFile.cpp
  ${VELLANTS_ROOT}/settings/Storage.cpp
  ${VELLANTS_ROOT}/settings/Value.cpp
  ${VELLANTS_ROOT}/settings/ValueOperators.cpp
  ${VELLANTS_ROOT}/settings/StorageSet.cpp
  ${VELLANTS_ROOT}/settings/ConfigSet.cpp
  ${VELLANTS_ROOT}/settings/SectionScan.cpp
  ${VELLANTS_ROOT}/settings/SectionReader.cpp
  ${VELLANTS_ROOT}/settings/SectionWriter.cpp
  ${VELLANTS_ROOT}/settings/SettingsRecords.cpp
  ${CMAKE_CURRENT_LIST_DIR}/NativeShell.cpp)
target_include_directories(settings_core PUBLIC ${VELLANTS_ROOT} ${CMAKE_CURRENT_LIST_DIR})
target_compile_features(settings_core PUBLIC cxx_std_17)
# The C library's name for a case-blind comparison on Windows.
target_compile_definitions(settings_core PUBLIC _stricmp=strcasecmp)
target_compile_options(settings_core PUBLIC -include strings.h -g -Wall -Wextra -Wno-unused-parameter -Werror)
if(SETTINGS_COVERAGE)
  target_compile_options(settings_core PUBLIC -O0 -fprofile-instr-generate -fcoverage-mapping)
  target_link_options(settings_core PUBLIC -fprofile-instr-generate)
else()
  set(SETTINGS_SANITIZERS -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  target_compile_options(settings_core PUBLIC -O1 -fsanitize=fuzzer-no-link ${SETTINGS_SANITIZERS})
  target_link_options(settings_core PUBLIC ${SETTINGS_SANITIZERS})
endif()

# One fuzz target per law group: fuzz_<name> from <Source>Fuzz.cpp.
foreach(pair settings_file:SettingsFile settings_tables:SettingsTables language_file:LanguageFile)
  string(REPLACE ":" ";" pair ${pair})
  list(GET pair 0 name)
  list(GET pair 1 source)
  add_executable(fuzz_${name} ${CMAKE_CURRENT_LIST_DIR}/${source}Fuzz.cpp)
  target_link_libraries(fuzz_${name} PRIVATE settings_core)
  target_link_options(fuzz_${name} PRIVATE -fsanitize=fuzzer)
endforeach()

if(NOT TARGET gtest_main)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
endif()
add_executable(settings_core_tests ${CMAKE_CURRENT_LIST_DIR}/SettingsCoreTest.cpp)
target_link_libraries(settings_core_tests PRIVATE settings_core gtest_main)
if(COMMAND add_test)
  add_test(NAME settings_core_tests COMMAND settings_core_tests)
endif()
