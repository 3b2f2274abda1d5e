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
