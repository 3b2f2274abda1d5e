# The release kit: QeltorService-1.0-win32.zip with the three programs and the administrators'
# README.txt, made by `cmake --build <dir> --target package`; and the same four files as a
# Windows Installer package, QeltorService-1.0.msi, made by `--target msi`. Both take their
# version from project(). The 64-bit build, which only the tests use, makes
# QeltorService-1.0-win64.zip and QeltorService-1.0-x64.msi, a 64-bit package that installs into
# the 64-bit Program Files.
set(QELTOR_RELEASE ${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR})
if(CMAKE_SYSTEM_PROCESSOR STREQUAL x86_64)
  set(QELTOR_KIT_SYSTEM win64)
  set(msi_suffix -x64)
  set(msi_arch x64)
  set(QELTOR_MSI_PROGRAM_FILES ProgramFiles64Folder)
else()
  set(QELTOR_KIT_SYSTEM win32)
  set(msi_suffix "")
  set(msi_arch x86)
  set(QELTOR_MSI_PROGRAM_FILES ProgramFilesFolder)
endif()
set(QELTOR_KIT_NAME QeltorService-${QELTOR_RELEASE}-${QELTOR_KIT_SYSTEM})

install(TARGETS QeltorService instsrv srvany RUNTIME DESTINATION .)
install(FILES ${PROJECT_SOURCE_DIR}/package/README.txt DESTINATION .)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME QeltorService)
set(CPACK_PACKAGE_VERSION ${QELTOR_RELEASE})
set(CPACK_SYSTEM_NAME ${QELTOR_KIT_SYSTEM})
set(CPACK_PACKAGE_VENDOR Qeltor)
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
include(CPack)

# wixl (Debian's wixl, from msitools) finds the files by name in its working folder, which holds
# them. Each version is a product of its own, with a ProductCode derived from the version (and the
# processor, for the 64-bit package), so that the same version built twice is the same product.
find_program(QELTOR_WIXL wixl REQUIRED)
find_program(QELTOR_MSIBUILD msibuild REQUIRED)
set(QELTOR_MSI_KIT ${CMAKE_BINARY_DIR}/msi-kit)
set(QELTOR_MSI ${CMAKE_BINARY_DIR}/QeltorService-${QELTOR_RELEASE}${msi_suffix}.msi)
string(UUID product_code NAMESPACE BD70F512-CA04-4141-9A45-6CF0301693CB NAME ${PROJECT_VERSION}${msi_suffix} TYPE SHA1 UPPER)
set(wxs ${PROJECT_SOURCE_DIR}/package/QeltorService.wxs)
file(MAKE_DIRECTORY ${QELTOR_MSI_KIT})
add_custom_command(
  OUTPUT ${QELTOR_MSI}
  COMMAND ${CMAKE_COMMAND} -E copy_if_different $<TARGET_FILE:QeltorService> $<TARGET_FILE:instsrv>
    $<TARGET_FILE:srvany> ${PROJECT_SOURCE_DIR}/package/README.txt ${QELTOR_MSI_KIT}
  COMMAND ${QELTOR_WIXL} --arch ${msi_arch} -D Version=${PROJECT_VERSION} -D ProductCode=${product_code}
    -D ProgramFiles=${QELTOR_MSI_PROGRAM_FILES} -o ${QELTOR_MSI} ${wxs}
  # The removal runs the package's own instsrv.exe: a program from the Binary table (type 2), in the
  # script (1024) and as the system (2048), rather than the installed file, which could have been
  # replaced since, its exit code ignored (64: a service that goes only at the next restart does not
  # fail it). So do the stop before an upgrade's files are replaced, which an older installed
  # instsrv.exe could not do, and the rollbacks of a registration and of a removal (rollback, 256).
  # wixl writes none of them, marks no property secure and has no Registry row named "-": msibuild
  # sets the actions' types, lets SERVER, SERVICEBEFORE and INSTALLFOLDER reach the installation's
  # server side however msiexec was started, and adds the row by which removing instsrv.exe's
  # component deletes what a removal of the service kept aside.
  COMMAND ${QELTOR_MSIBUILD} ${QELTOR_MSI}
    -q "UPDATE `CustomAction` SET `Type` = 3138, `Source` = 'PackagedInstsrv' WHERE `Action` = 'RemoveOwnService'"
    -q "UPDATE `CustomAction` SET `Type` = 3138, `Source` = 'PackagedInstsrv' WHERE `Action` = 'StopOwnService'"
    -q "UPDATE `CustomAction` SET `Type` = 3394, `Source` = 'PackagedInstsrv' WHERE `Action` = 'UnregisterOwnService'"
    -q "UPDATE `CustomAction` SET `Type` = 3394, `Source` = 'PackagedInstsrv' WHERE `Action` = 'RestoreOwnService'"
    -q "INSERT INTO `Registry` (`Registry`, `Root`, `Key`, `Name`, `Component_`) VALUES ('RemovedServices', 2, 'SOFTWARE\\Qeltor Service', '-', 'instsrv')"
    -q "UPDATE `Property` SET `Value` = 'WIX_DOWNGRADE_DETECTED;WIX_UPGRADE_DETECTED;SERVER;SERVICEBEFORE;INSTALLFOLDER' WHERE `Property` = 'SecureCustomProperties'"
  WORKING_DIRECTORY ${QELTOR_MSI_KIT}
  DEPENDS QeltorService instsrv srvany ${PROJECT_SOURCE_DIR}/package/README.txt ${wxs}
  COMMENT "Building QeltorService-${QELTOR_RELEASE}${msi_suffix}.msi"
  VERBATIM)
add_custom_target(msi DEPENDS ${QELTOR_MSI})
