# Configures and builds the consumer project against an installed SDK:
#   cmake -DSOURCE= -DBINARY= -DTOOLCHAIN= -DPREFIX= -P Build.cmake
file(REMOVE_RECURSE ${BINARY})
execute_process(COMMAND ${CMAKE_COMMAND} -S ${SOURCE} -B ${BINARY} -DCMAKE_TOOLCHAIN_FILE=${TOOLCHAIN}
  -DCMAKE_PREFIX_PATH=${PREFIX} -DCMAKE_BUILD_TYPE=Release COMMAND_ERROR_IS_FATAL ANY)
execute_process(COMMAND ${CMAKE_COMMAND} --build ${BINARY} COMMAND_ERROR_IS_FATAL ANY)
# As a host ships it: the DLLs of the SDK's bin/ beside the program.
file(GLOB dlls ${PREFIX}/bin/*.dll)
file(COPY ${dlls} DESTINATION ${BINARY})
