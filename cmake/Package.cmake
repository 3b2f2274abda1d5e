# The release kit: QeltorService-1.0-win32.zip with the three programs and the administrators'
# README.txt, made by `cmake --build <dir> --target package`.
install(TARGETS QeltorService instsrv srvany RUNTIME DESTINATION .)
install(FILES ${PROJECT_SOURCE_DIR}/package/README.txt DESTINATION .)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME QeltorService)
set(CPACK_PACKAGE_VERSION 1.0)
set(CPACK_SYSTEM_NAME win32)
set(CPACK_PACKAGE_VENDOR Qeltor)
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
include(CPack)
