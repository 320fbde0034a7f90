# Warnings for every target of ours; QUILLMERE_WERROR turns them into errors (CI sets it).
add_library(quillmere_warnings INTERFACE)
target_compile_options(quillmere_warnings INTERFACE
    -Wall -Wextra -Wold-style-cast -Wnon-virtual-dtor -Woverloaded-virtual -Wformat=2)
if(QUILLMERE_WERROR)
    target_compile_options(quillmere_warnings INTERFACE -Werror)
endif()
