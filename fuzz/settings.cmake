# The settings and language files' portable core (with the string class, the value
# codec and the section scan it needs), their fuzz targets and their tests in the
# native test program. Included by CMakeLists.txt here, whose sanitizers, warnings
# and coverage switch it shares.
add_library(settings_portable STATIC
  ${TOP}/foundation/StrPP.cpp
  ${TOP}/foundation/PooledText.cpp
  ${TOP}/environment/Messages.cpp
  ${TOP}/environment/LexiconTable.cpp
  ${TOP}/environment/LanguageFile.cpp
  ${TOP}/settings/Storage.cpp
  ${TOP}/settings/Value.cpp
  ${TOP}/settings/ValueOperators.cpp
  ${TOP}/settings/StorageSet.cpp
  ${TOP}/settings/ConfigSet.cpp
  ${TOP}/settings/SectionScan.cpp
  ${TOP}/settings/SectionReader.cpp
  ${TOP}/settings/SectionWriter.cpp
  ${TOP}/settings/SettingsRecords.cpp
  ${CMAKE_CURRENT_LIST_DIR}/NativeShell.cpp)
target_include_directories(settings_portable PUBLIC ${TOP})
# The C library's name on Windows for a comparison that ignores case.
target_compile_definitions(settings_portable PRIVATE _stricmp=strcasecmp)
target_compile_options(settings_portable PRIVATE -include strings.h -fsanitize=fuzzer-no-link PUBLIC ${SANITIZERS})
target_link_options(settings_portable PUBLIC ${SANITIZERS})

vellants_fuzz_target(settings-file ${CMAKE_CURRENT_LIST_DIR}/SettingsFileFuzz.cpp)
vellants_fuzz_target(settings-tables ${CMAKE_CURRENT_LIST_DIR}/SettingsTablesFuzz.cpp)
vellants_fuzz_target(language-file ${CMAKE_CURRENT_LIST_DIR}/LanguageFileFuzz.cpp)
foreach(target settings-file settings-tables language-file)
  target_link_libraries(${target} PRIVATE settings_portable)
endforeach()

target_sources(${VELLANTS_NATIVE_TESTS} PRIVATE ${TOP}/tests/SettingsCoreTest.cpp)
target_link_libraries(${VELLANTS_NATIVE_TESTS} PRIVATE settings_portable)
