# Warnings are errors on project code.
function(orvanta3_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Werror)
endfunction()
