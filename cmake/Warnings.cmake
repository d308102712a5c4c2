# Every compiler warning the project uses lives here, applied to our own targets
# only (system headers of SDL and friends stay quiet).
function(quillmoor_warnings target)
  target_compile_options(${target} PRIVATE
    -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Wcast-align
    -Woverloaded-virtual -Wnull-dereference -Wdouble-promotion -Wformat=2
    -Wimplicit-fallthrough)
endfunction()
