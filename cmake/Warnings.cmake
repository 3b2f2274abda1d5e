# Every target of ours compiles with the same strict warnings, treated as errors.
function(qeltor_warnings target)
  target_compile_options(${target} PRIVATE
    -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wnon-virtual-dtor
    -Wold-style-cast -Woverloaded-virtual -Wnull-dereference -Werror)
endfunction()

# A Windows program of ours: wide entry point (wWinMain or wmain).
function(qeltor_windows_program target)
  target_compile_options(${target} PRIVATE -municode)
  target_link_options(${target} PRIVATE -municode)
endfunction()

# Code that ships in our programs, in the Windows build: no exceptions, since nothing of ours
# catches one and the unwinder with the thread library it needs would be a third of each
# program; no run-time type information, which nothing asks for; no unwind tables, whose one
# section per object names every function in it and so kept all of them from the linker; and
# each function and datum in a section of its own, for the linker to drop what nothing uses.
# Release builds are made as small as the compiler can: -Oz rather than -Os; no clones of a
# function for the constants or the parts of arguments one caller passes, since each file's clone
# of the same string member would be kept beside the others; and on 32 bits no padding of the stack
# to 16 bytes, which Windows does not keep for its callbacks anyway (4 bytes is its rule there).
function(qeltor_shipped_code target)
  if(WIN32)
    target_compile_options(${target} PRIVATE -fno-exceptions -fno-rtti -fno-asynchronous-unwind-tables
                           -ffunction-sections -fdata-sections
                           $<$<CONFIG:MinSizeRel>:-Oz -fno-ipa-sra -fno-ipa-cp>)
    if(CMAKE_SYSTEM_PROCESSOR STREQUAL "i686")
      target_compile_options(${target} PRIVATE $<$<CONFIG:MinSizeRel>:-mpreferred-stack-boundary=2>)
    endif()
  endif()
endfunction()

# A shipped program: shipped code, the standard library's failure paths replaced by ours
# (win32/LibraryFailures.cpp), and in release builds nothing unused and no symbols. The link map
# beside it says where its size goes (bench/ reads it).
function(qeltor_shipped_program target)
  qeltor_shipped_code(${target})
  target_link_libraries(${target} PRIVATE qeltor_library_failures)
  target_link_options(${target} PRIVATE -Wl,-Map=$<TARGET_FILE:${target}>.map
                      $<$<CONFIG:MinSizeRel,Release>:-Wl,--gc-sections -s>)
endfunction()
