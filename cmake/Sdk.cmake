# What a host gets: the public headers, the import libraries (mingw, and one for the
# platform vendor's linker covering the C interface), the DLL with the runtime it shares,
# and a CMake package. `cmake --install` lays it out as bin/, lib/, include/.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

# The C++ headers hosts include: the exported classes and everything they name. Installed
# below include/vellants/ with their folders, beside the C interface's Vellants.h.
set(VELLANTS_PUBLIC_HEADERS
  environment/ConfigFiles.h environment/Lexicon.h environment/Messages.h
  foundation/EArray.h foundation/Export.h foundation/FileString.h foundation/FileUtils.h foundation/Owners.h
  foundation/PathString.h foundation/SECFileSystem.h foundation/StrPP.h
  installer/CommitReport.h installer/EditRefusal.h installer/HostConfig.h installer/McConfigFile.h installer/McKind.h
  installer/VellantSetup.h
  platform/CString.h platform/Collections.h platform/Dialog.h platform/MessageMap.h platform/Object.h
  platform/Wnd.h platform/afxwin.h
  settings/ConfigSet.h settings/FileStorage.h settings/ProgramConfiguration.h settings/QRVFile.h settings/SectionScan.h
  settings/Storage.h settings/StorageSet.h settings/Value.h
  widgets/HyperLink.h widgets/TTDialog.h widgets/UniButton.h)

target_include_directories(Vellants INTERFACE
  "$<BUILD_INTERFACE:${CMAKE_SOURCE_DIR};${CMAKE_SOURCE_DIR}/include;${VELLANTS_GENERATED_DIR}>"
  "$<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR};${CMAKE_INSTALL_INCLUDEDIR}/vellants>")
target_compile_definitions(Vellants INTERFACE NOMINMAX)
# Hosts share the DLL's GCC runtime (cmake/SharedRuntime.cmake).
target_link_options(Vellants INTERFACE -shared-libgcc)

# The vendor's import library for the C interface, from the .def.
find_program(LLVM_DLLTOOL NAMES llvm-dlltool llvm-dlltool-14 REQUIRED)
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  set(dlltool_machine i386)
else()
  set(dlltool_machine i386:x86-64)
endif()
set(VELLANTS_DEF ${CMAKE_SOURCE_DIR}/installer/dll/Vellants.def)
set(VELLANTS_MSVC_LIB ${CMAKE_BINARY_DIR}/Vellants.lib)
add_custom_command(OUTPUT ${VELLANTS_MSVC_LIB}
  COMMAND ${LLVM_DLLTOOL} -m ${dlltool_machine} -d ${VELLANTS_DEF} -l ${VELLANTS_MSVC_LIB}
  DEPENDS ${VELLANTS_DEF} VERBATIM)
add_custom_target(vellants_msvc_lib ALL DEPENDS ${VELLANTS_MSVC_LIB})

install(TARGETS Vellants EXPORT VellantsTargets
  RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR})
install(FILES ${VELLANTS_RUNTIME_DLLS} DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${VELLANTS_DEF} ${VELLANTS_MSVC_LIB} DESTINATION ${CMAKE_INSTALL_LIBDIR})
install(FILES include/vellants/Vellants.h ${VELLANTS_GENERATED_DIR}/vellants/Version.h
  DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/vellants)
foreach(header ${VELLANTS_PUBLIC_HEADERS})
  get_filename_component(folder ${header} DIRECTORY)
  install(FILES ${header} DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/vellants/${folder})
endforeach()

set(package_dir ${CMAKE_INSTALL_LIBDIR}/cmake/Vellants)
install(EXPORT VellantsTargets NAMESPACE Vellants:: DESTINATION ${package_dir})
configure_package_config_file(cmake/VellantsConfig.cmake.in ${CMAKE_BINARY_DIR}/VellantsConfig.cmake
  INSTALL_DESTINATION ${package_dir} PATH_VARS CMAKE_INSTALL_BINDIR)
write_basic_package_version_file(${CMAKE_BINARY_DIR}/VellantsConfigVersion.cmake COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_BINARY_DIR}/VellantsConfig.cmake ${CMAKE_BINARY_DIR}/VellantsConfigVersion.cmake
  DESTINATION ${package_dir})
install(FILES host/CHost.c DESTINATION ${CMAKE_INSTALL_DATADIR}/vellants/examples)
