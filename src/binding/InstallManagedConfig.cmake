# Install step: writes EdgeDetection.Managed.dll.config beside the installed assembly, mapping the
# native name to the installed library by its absolute path (the prefix and DESTDIR as this
# installation uses them). Variables, set by the install code before: edgedetection_managed_dir,
# edgedetection_libdir (relative to the prefix, or absolute), edgedetection_soname,
# edgedetection_config_template.
function(absolute_install_path out dir)
    if(IS_ABSOLUTE "${dir}")
        set(${out} "${dir}" PARENT_SCOPE)
    else()
        set(${out} "${CMAKE_INSTALL_PREFIX}/${dir}" PARENT_SCOPE)
    endif()
endfunction()

absolute_install_path(libdir "${edgedetection_libdir}")
absolute_install_path(managed_dir "${edgedetection_managed_dir}")
set(EDGEDETECTION_NATIVE_LIBRARY "${libdir}/${edgedetection_soname}")
set(config "$ENV{DESTDIR}${managed_dir}/EdgeDetection.Managed.dll.config")
message(STATUS "Installing: ${config}")
configure_file("${edgedetection_config_template}" "${config}" @ONLY)
