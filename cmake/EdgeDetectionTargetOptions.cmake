# Compile options attached per target, never through the global flags.
#
# edgedetection_target_options(<target>) gives a target the project's warnings (as errors),
# the floating-point rule (no fused multiply-add contraction: formulas are evaluated as written)
# and, when the build asks for them, the sanitizers.

set(EDGEDETECTION_WARNING_FLAGS -Wall -Wextra -Wpedantic -Werror)

set(EDGEDETECTION_SANITIZER_FLAGS "")
if(EDGEDETECTION_SANITIZERS)
    set(EDGEDETECTION_SANITIZER_FLAGS
        -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
endif()
if(EDGEDETECTION_FUZZERS)
    # libFuzzer build: the sanitizers above plus the fuzzer's coverage instrumentation in the
    # library too, so that coverage of the library guides the fuzzer (tests/fuzz/).
    if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
        message(FATAL_ERROR "EDGEDETECTION_FUZZERS needs Clang: configure with CXX=clang++")
    endif()
    set(EDGEDETECTION_SANITIZER_FLAGS -fsanitize=address,undefined,fuzzer-no-link
        -fno-sanitize-recover=all -fno-omit-frame-pointer)
endif()
if(EDGEDETECTION_TSAN)
    set(EDGEDETECTION_SANITIZER_FLAGS -fsanitize=thread -fno-omit-frame-pointer)
endif()

function(edgedetection_target_options target)
    target_compile_options(${target} PRIVATE ${EDGEDETECTION_WARNING_FLAGS} -ffp-contract=off)
    if(EDGEDETECTION_SANITIZER_FLAGS)
        # Sanitizer builds check what the fixed-capacity lists' callers promise (OFastArrayList).
        target_compile_definitions(${target} PRIVATE EDGEDETECTION_CHECKED)
        target_compile_options(${target} PRIVATE ${EDGEDETECTION_SANITIZER_FLAGS})
        target_link_options(${target} PRIVATE ${EDGEDETECTION_SANITIZER_FLAGS})
    endif()
    if(EDGEDETECTION_FUZZERS)
        # Line tables are all that sanitizer reports need. Only the library and the fuzz targets,
        # where the fuzzers spend their time, are optimised; the tests and tools this build also
        # runs under the sanitizers compile about four times faster without.
        target_compile_options(${target} PRIVATE -gline-tables-only)
        if(NOT target MATCHES "^(edgedetection|edgedetection_objects|fuzz_.*)$")
            target_compile_options(${target} PRIVATE -O0)
        endif()
    endif()
endfunction()
