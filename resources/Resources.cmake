# The program's resources. The icon is drawn during the build by resources/icon/DrawIcon.cpp,
# compiled with the build machine's own compiler, and windres takes the pieces it writes.
enable_language(RC)

find_program(QELTOR_HOST_CXX NAMES c++ g++ clang++ REQUIRED
             DOC "C++ compiler for programs that run on the build machine")

# qeltor_add_resources(<target>): compiles QeltorService.rc into <target>.
function(qeltor_add_resources target)
  set(src ${PROJECT_SOURCE_DIR}/resources)
  set(out ${CMAKE_CURRENT_BINARY_DIR}/icon)
  set(draw ${out}/DrawIcon)
  add_custom_command(
    OUTPUT ${draw}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${out}
    COMMAND ${QELTOR_HOST_CXX} -std=c++20 -O2 -Wall -Wextra -Wpedantic -Wconversion -Wshadow -Werror
            -I${src} -o ${draw} ${src}/icon/DrawIcon.cpp
    DEPENDS ${src}/icon/DrawIcon.cpp ${src}/ResourceIds.h
    COMMENT "Building the icon drawer for the build machine"
    VERBATIM)
  set(icon ${out}/Icon48.bin ${out}/Icon32.bin ${out}/Icon24.bin ${out}/Icon16.bin ${out}/IconGroup.bin)
  add_custom_command(
    OUTPUT ${icon} ${out}/QeltorService.ico
    COMMAND ${draw} ${out}
    DEPENDS ${draw}
    COMMENT "Drawing the program icon"
    VERBATIM)
  target_sources(${target} PRIVATE ${src}/QeltorService.rc)
  # windres looks for the files the script names in its include folders; it does not see
  # those files as dependencies, hence OBJECT_DEPENDS.
  set_source_files_properties(${src}/QeltorService.rc PROPERTIES
    INCLUDE_DIRECTORIES "${src};${out}"
    OBJECT_DEPENDS "${icon};${src}/QeltorService.manifest;${src}/CommonControls.manifest")
endfunction()
