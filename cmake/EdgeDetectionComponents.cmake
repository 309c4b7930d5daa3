# The project's optional components (tests, benchmarks, tools, the C# binding, the Python module):
# each is an option EDGEDETECTION_BUILD_<NAME> that takes
#
#   AUTO  build it when its dependencies are found, else leave it out with a one-line message
#   ON    build it; a missing dependency fails the configure (any other true value too)
#   OFF   leave it out
#
# The default is AUTO when this is the top-level project and OFF when another project includes
# it, which asks for what it wants. EDGEDETECTION_WITH_<NAME> says whether it is built.

# edgedetection_component(<NAME> <description>)
function(edgedetection_component name description)
    if(PROJECT_IS_TOP_LEVEL)
        set(default AUTO)
    else()
        set(default OFF)
    endif()
    set(option EDGEDETECTION_BUILD_${name})
    set(${option} "${default}" CACHE STRING "${description}: AUTO, ON or OFF")
    set_property(CACHE ${option} PROPERTY STRINGS AUTO ON OFF)
    if(${option} STREQUAL "AUTO" OR ${option})
        set(EDGEDETECTION_WITH_${name} ON PARENT_SCOPE)
    else()
        set(EDGEDETECTION_WITH_${name} OFF PARENT_SCOPE)
    endif()
endfunction()

# edgedetection_component_needs(<NAME> <found> <what>): for a component being built, a dependency
# <what> that was not found (<found> false) leaves it out if it was AUTO and fails otherwise.
function(edgedetection_component_needs name found what)
    if(NOT EDGEDETECTION_WITH_${name} OR found)
        return()
    endif()
    set(option EDGEDETECTION_BUILD_${name})
    if(${option} STREQUAL "AUTO")
        message(STATUS "${option}: left out, ${what} not found (scripts/setup.sh installs it)")
        set(EDGEDETECTION_WITH_${name} OFF PARENT_SCOPE)
    else()
        message(FATAL_ERROR "${option}=${${option}} needs ${what}, which was not found: "
            "scripts/setup.sh installs it, or -D${option}=OFF leaves the component out")
    endif()
endfunction()
