# Warnings are PRIVATE to our own targets so that consumers of the headers
# are not forced onto our flags.
function(phrasor_warnings target)
  if(MSVC)
    target_compile_options(${target} PRIVATE /W4)
    if(PHRASOR_WERROR)
      target_compile_options(${target} PRIVATE /WX)
    endif()
  else()
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow
      -Wnon-virtual-dtor -Wcast-align -Wformat=2)
    if(PHRASOR_WERROR)
      target_compile_options(${target} PRIVATE -Werror)
    endif()
  endif()
endfunction()
