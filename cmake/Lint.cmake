# The format and lint checks run as tests, so that the test command enforces them.
find_program(CLANG_FORMAT clang-format REQUIRED)
# clang-tidy 22, not Debian 12's default 14: it no longer walks the system headers with every
# check, which took most of the lint's time. .clang-tidy names every check it runs.
find_program(CLANG_TIDY clang-tidy-22 REQUIRED)

function(qeltor_add_format_test)
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS
    ${PROJECT_SOURCE_DIR}/core/*.cpp ${PROJECT_SOURCE_DIR}/core/*.h
    ${PROJECT_SOURCE_DIR}/win32/*.cpp ${PROJECT_SOURCE_DIR}/win32/*.h
    ${PROJECT_SOURCE_DIR}/installer/*.cpp ${PROJECT_SOURCE_DIR}/installer/*.h
    ${PROJECT_SOURCE_DIR}/platform/*.cpp ${PROJECT_SOURCE_DIR}/platform/*.h
    ${PROJECT_SOURCE_DIR}/window/*.cpp ${PROJECT_SOURCE_DIR}/window/*.h
    ${PROJECT_SOURCE_DIR}/resources/*.cpp ${PROJECT_SOURCE_DIR}/resources/*.h
    ${PROJECT_SOURCE_DIR}/servicetools/*.cpp ${PROJECT_SOURCE_DIR}/servicetools/*.h
    ${PROJECT_SOURCE_DIR}/tests/*.cpp ${PROJECT_SOURCE_DIR}/tests/*.h)
  add_test(NAME code_format COMMAND ${CLANG_FORMAT} --dry-run --Werror ${sources})
  set_tests_properties(code_format PROPERTIES LABELS lint)
endfunction()

# qeltor_add_lint_test(<name> <dir>...): clang-tidy over the .cpp files of those folders,
# with this build's compile commands, one file per processor at a time (scripts/tidy.sh).
function(qeltor_add_lint_test name)
  set(sources)
  foreach(dir ${ARGN})
    file(GLOB dir_sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/${dir}/*.cpp)
    list(APPEND sources ${dir_sources})
  endforeach()
  set(extra)
  if(CMAKE_CROSSCOMPILING)
    # clang does not know MinGW's C++ headers by itself: hand it the cross compiler's.
    execute_process(COMMAND ${CMAKE_CXX_COMPILER} -E -x c++ - -v INPUT_FILE /dev/null
                    ERROR_VARIABLE search OUTPUT_QUIET)
    string(REGEX REPLACE ".*search starts here:\n(.*)End of search list.*" "\\1" search "${search}")
    string(REGEX MATCHALL " (/[^\n]+)" dirs "${search}")
    list(APPEND extra --extra-arg=--target=i686-w64-mingw32 --extra-arg=-nostdinc++)
    foreach(dir ${dirs})
      string(STRIP "${dir}" dir)
      list(APPEND extra --extra-arg=-isystem${dir})
    endforeach()
  endif()
  add_test(NAME ${name}
    COMMAND bash ${PROJECT_SOURCE_DIR}/scripts/tidy.sh ${CLANG_TIDY} -p ${CMAKE_BINARY_DIR} --quiet ${extra} -- ${sources})
  # The longest test: started first when tests run side by side.
  set_tests_properties(${name} PROPERTIES LABELS lint COST 1000)
  # The release build's size flags (cmake/Warnings.cmake) are GCC's own: clang would stop at them.
  set_tests_properties(${name} PROPERTIES
    ENVIRONMENT "QELTOR_TIDY_WITHOUT=-fno-ipa-sra|-fno-ipa-cp|-mpreferred-stack-boundary=[0-9]+")
endfunction()
