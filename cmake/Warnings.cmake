# Applied per target so third-party code is not affected.
function(yaoxia_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor
                                           -Wno-missing-field-initializers)
  if(YAOXIA_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()
