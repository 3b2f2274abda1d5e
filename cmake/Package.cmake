# The release kit: QeltorService-1.0-win32.zip with the three programs and the administrators'
# README.txt, made by `cmake --build <dir> --target package`; and the same four files as a
# Windows Installer package, QeltorService-1.0.msi, made by `--target msi`. Both take their
# version from project().
set(QELTOR_RELEASE ${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR})

install(TARGETS QeltorService instsrv srvany RUNTIME DESTINATION .)
install(FILES ${PROJECT_SOURCE_DIR}/package/README.txt DESTINATION .)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME QeltorService)
set(CPACK_PACKAGE_VERSION ${QELTOR_RELEASE})
set(CPACK_SYSTEM_NAME win32)
set(CPACK_PACKAGE_VENDOR Qeltor)
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
include(CPack)

# wixl (Debian's wixl, from msitools) finds the files by name in its working folder, which holds
# them. Each version is a product of its own, with a ProductCode derived from the version, so that
# the same version built twice is the same product.
find_program(QELTOR_WIXL wixl REQUIRED)
set(QELTOR_MSI_KIT ${CMAKE_BINARY_DIR}/msi-kit)
set(QELTOR_MSI ${CMAKE_BINARY_DIR}/QeltorService-${QELTOR_RELEASE}.msi)
string(UUID product_code NAMESPACE BD70F512-CA04-4141-9A45-6CF0301693CB NAME ${PROJECT_VERSION} TYPE SHA1 UPPER)
set(wxs ${PROJECT_SOURCE_DIR}/package/QeltorService.wxs)
file(MAKE_DIRECTORY ${QELTOR_MSI_KIT})
add_custom_command(
  OUTPUT ${QELTOR_MSI}
  COMMAND ${CMAKE_COMMAND} -E copy_if_different $<TARGET_FILE:QeltorService> $<TARGET_FILE:instsrv>
    $<TARGET_FILE:srvany> ${PROJECT_SOURCE_DIR}/package/README.txt ${QELTOR_MSI_KIT}
  COMMAND ${QELTOR_WIXL} -D Version=${PROJECT_VERSION} -D ProductCode=${product_code} -o ${QELTOR_MSI} ${wxs}
  WORKING_DIRECTORY ${QELTOR_MSI_KIT}
  DEPENDS QeltorService instsrv srvany ${PROJECT_SOURCE_DIR}/package/README.txt ${wxs}
  COMMENT "Building QeltorService-${QELTOR_RELEASE}.msi"
  VERBATIM)
add_custom_target(msi DEPENDS ${QELTOR_MSI})
