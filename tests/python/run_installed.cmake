# Installs the built project into a scratch prefix and imports the installed package with the
# module's interpreter, finding it only through PYTHONPATH and the library only through the
# module's RPATH (no LD_LIBRARY_PATH): the process must map the installed libedgedetection.so.
# Variables: BUILD_DIR, WORK_DIR, PYTHON, SITE_DIR (relative to the prefix).
file(REMOVE_RECURSE "${WORK_DIR}")
set(prefix "${WORK_DIR}/prefix")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${prefix}"
    RESULT_VARIABLE result OUTPUT_QUIET)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "install into ${prefix} failed")
endif()
set(check [=[
import sys, numpy as np, edgedetection as ed
prefix = sys.argv[1]
assert ed.__file__.startswith(prefix), ed.__file__
maps = open("/proc/self/maps").read()
libraries = {line.split()[-1] for line in maps.splitlines() if "libedgedetection.so" in line}
assert libraries and all(path.startswith(prefix) for path in libraries), libraries
line = ed.LinePath((0.5, 0.5), (9.5, 0.5))
assert line.find_next(np.r_[[[200] * 5 + [0] * 5]].astype(np.uint8)).index == 5
]=])
unset(ENV{LD_LIBRARY_PATH})
set(ENV{PYTHONPATH} "${prefix}/${SITE_DIR}")
execute_process(COMMAND "${PYTHON}" -c "${check}" "${prefix}" RESULT_VARIABLE result
    OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "the installed package failed:\n${out}\n${err}")
endif()
