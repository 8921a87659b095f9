# The GCC runtime that the DLL and its hosts share. A program on its own carries the
# runtime inside (one file, nothing to find). The DLL and every program that links it
# use the runtime DLLs shipped beside them instead: with a copy of the runtime on each
# side, the 32-bit (DWARF) unwinder of the host never sees the DLL's frames, and an
# exception thrown in the DLL ends the host instead of reaching its handler.
set(VELLANTS_RUNTIME_DLLS)
foreach(name libgcc_s_dw2-1.dll libgcc_s_seh-1.dll libstdc++-6.dll libwinpthread-1.dll)
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${name}
    OUTPUT_VARIABLE path OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(IS_ABSOLUTE "${path}")
    list(APPEND VELLANTS_RUNTIME_DLLS ${path})
  endif()
endforeach()
list(LENGTH VELLANTS_RUNTIME_DLLS found)
if(NOT found EQUAL 3)
  message(FATAL_ERROR "GCC runtime DLLs not found (${VELLANTS_RUNTIME_DLLS}): run scripts/bootstrap")
endif()

set(uses_shared "$<BOOL:$<TARGET_PROPERTY:VELLANTS_SHARED_RUNTIME>>")
add_link_options("$<IF:${uses_shared},-shared-libgcc,-static>"
  "$<$<NOT:${uses_shared}>:-static-libgcc>" "$<$<NOT:${uses_shared}>:-static-libstdc++>")
unset(uses_shared)

# For the DLL and the programs that link it; the runtime DLLs go beside them.
function(vellants_shared_runtime target)
  set_target_properties(${target} PROPERTIES VELLANTS_SHARED_RUNTIME ON)
endfunction()
