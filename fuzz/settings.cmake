# The settings and language files' portable core, built natively with clang under the
# address and undefined-behaviour sanitizers (no recovery): the fuzz targets of their
# laws (seeds in corpus/<target>/) and the core's tests. Included by this folder's
# CMakeLists.txt, whose fuzz targets and native tests these join; on its own (cmake -S
# on a folder whose CMakeLists.txt includes just this file) it builds them by itself.
set(SETTINGS_TOP ${CMAKE_CURRENT_LIST_DIR}/..)
set(SETTINGS_SANITIZERS -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
option(SETTINGS_COVERAGE "Instrument the settings core for source-based coverage" OFF)

add_library(settings_portable STATIC
  ${SETTINGS_TOP}/foundation/StrPP.cpp
  ${SETTINGS_TOP}/foundation/PooledText.cpp
  ${SETTINGS_TOP}/environment/Messages.cpp
  ${SETTINGS_TOP}/environment/LexiconTable.cpp
  ${SETTINGS_TOP}/environment/LanguageFile.cpp
  ${SETTINGS_TOP}/settings/Storage.cpp
  ${SETTINGS_TOP}/settings/Value.cpp
  ${SETTINGS_TOP}/settings/ValueOperators.cpp
  ${SETTINGS_TOP}/settings/StorageSet.cpp
  ${SETTINGS_TOP}/settings/ConfigSet.cpp
  ${SETTINGS_TOP}/settings/SectionScan.cpp
  ${SETTINGS_TOP}/settings/SectionReader.cpp
  ${SETTINGS_TOP}/settings/SectionWriter.cpp
  ${SETTINGS_TOP}/settings/SettingsRecords.cpp
  ${CMAKE_CURRENT_LIST_DIR}/NativeShell.cpp)
target_include_directories(settings_portable PUBLIC ${SETTINGS_TOP})
target_compile_features(settings_portable PUBLIC cxx_std_17)
# The C library's name on Windows for a comparison that ignores case.
target_compile_definitions(settings_portable PRIVATE _stricmp=strcasecmp)
target_compile_options(settings_portable PRIVATE -include strings.h -fsanitize=fuzzer-no-link
  -Wall -Wextra -Wno-unused-parameter -Werror PUBLIC ${SETTINGS_SANITIZERS})
target_link_options(settings_portable PUBLIC ${SETTINGS_SANITIZERS})
if(SETTINGS_COVERAGE)
  target_compile_options(settings_portable PUBLIC -fprofile-instr-generate -fcoverage-mapping)
  target_link_options(settings_portable PUBLIC -fprofile-instr-generate -fcoverage-mapping)
endif()

foreach(target settings-file:SettingsFileFuzz settings-tables:SettingsTablesFuzz language-file:LanguageFileFuzz)
  string(REPLACE ":" ";" target ${target})
  list(GET target 0 name)
  list(GET target 1 source)
  if(COMMAND vellants_fuzz_target)
    vellants_fuzz_target(${name} ${CMAKE_CURRENT_LIST_DIR}/${source}.cpp)
  else()
    add_executable(${name} ${CMAKE_CURRENT_LIST_DIR}/${source}.cpp)
    target_compile_options(${name} PRIVATE -fsanitize=fuzzer)
    target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  endif()
  target_link_libraries(${name} PRIVATE settings_portable)
endforeach()

set(SETTINGS_TESTS ${SETTINGS_TOP}/tests/SettingsCoreTest.cpp)
if(DEFINED VELLANTS_NATIVE_TESTS)
  target_sources(${VELLANTS_NATIVE_TESTS} PRIVATE ${SETTINGS_TESTS})
  target_link_libraries(${VELLANTS_NATIVE_TESTS} PRIVATE settings_portable)
else()
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  add_executable(settings_core_tests ${SETTINGS_TESTS})
  target_link_libraries(settings_core_tests PRIVATE settings_portable GTest::gtest_main)
endif()
