# The layer order of the source folders, from the bottom up: a file may
# include headers of its own folder and of the folders below it, never of a
# folder above. Run by CTest as `cmake -DTOP=<source dir> -P layers.cmake`;
# each include that reaches upward is printed, and the test fails.
#
# The order (see ARCHITECTURE.md): platform and resources at the bottom (they
# include nothing of each other), then io, cpu, devices, vm and shell.
set(LAYERS platform resources io cpu devices vm shell)
set(RANK_platform 0)
set(RANK_resources 0)
set(RANK_io 1)
set(RANK_cpu 2)
set(RANK_devices 3)
set(RANK_vm 4)
set(RANK_shell 5)

# Which folder holds each header.
foreach(layer ${LAYERS})
    file(GLOB_RECURSE headers RELATIVE ${TOP}/${layer} ${TOP}/${layer}/*.h)
    foreach(header ${headers})
        get_filename_component(name ${header} NAME)
        set(HOME_${name} ${layer})
    endforeach()
endforeach()

set(faults 0)
foreach(layer ${LAYERS})
    file(GLOB_RECURSE sources ${TOP}/${layer}/*.h ${TOP}/${layer}/*.cpp)
    foreach(source ${sources})
        file(STRINGS ${source} includes REGEX "^#include \"[^\"]+\"")
        foreach(line ${includes})
            string(REGEX REPLACE "^#include \"([^\"]+)\".*" "\\1" header "${line}")
            get_filename_component(name ${header} NAME)
            set(home ${HOME_${name}})
            if(home AND RANK_${home} GREATER RANK_${layer})
                file(RELATIVE_PATH file ${TOP} ${source})
                message("${file} (${layer}) includes ${header} (${home}): a layer above it")
                math(EXPR faults "${faults} + 1")
            endif()
        endforeach()
    endforeach()
endforeach()
if(faults GREATER 0)
    message(FATAL_ERROR "${faults} include(s) reach a layer above their own")
endif()
