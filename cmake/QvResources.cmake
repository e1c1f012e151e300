# Resource modules: compiled from resource scripts by rescomp at build time.
#
# qv_add_resource_module(<stem> LANG <ja|en> SCRIPT <file.rc>
#                        [INCLUDES <dirs...>] [DEFINES <NAME[=value]...>] [DEPENDS <files...>])
# Writes ${QV_BIN_DIR}/<stem>.<lang>.qres through the target qres_<stem>_<lang>
# (part of ALL). The script, every file it includes and every data file it
# names are dependencies (rescomp writes them to a depfile); DEPENDS adds
# files that it reaches some other way. A fault in the script fails the build
# with file:line messages.
function(qv_add_resource_module stem)
  cmake_parse_arguments(ARG "" "LANG;SCRIPT" "INCLUDES;DEFINES;DEPENDS" ${ARGN})
  if(NOT ARG_LANG MATCHES "^(ja|en)$")
    message(FATAL_ERROR "qv_add_resource_module(${stem}): LANG must be ja or en")
  endif()
  if(NOT ARG_SCRIPT)
    message(FATAL_ERROR "qv_add_resource_module(${stem}): SCRIPT is required")
  endif()
  get_filename_component(script ${ARG_SCRIPT} ABSOLUTE)
  set(name ${stem}.${ARG_LANG}.qres)
  set(output ${QV_BIN_DIR}/${name})
  set(depfile ${CMAKE_CURRENT_BINARY_DIR}/${name}.d)
  set(options)
  foreach(dir IN LISTS ARG_INCLUDES)
    get_filename_component(dir ${dir} ABSOLUTE)
    list(APPEND options -I ${dir})
  endforeach()
  foreach(def IN LISTS ARG_DEFINES)
    list(APPEND options -D ${def})
  endforeach()
  set(depends)
  foreach(file IN LISTS ARG_DEPENDS)
    get_filename_component(file ${file} ABSOLUTE)
    list(APPEND depends ${file})
  endforeach()
  add_custom_command(
    OUTPUT ${output}
    COMMAND rescomp --lang ${ARG_LANG} ${options} --depfile ${depfile} -o ${output} ${script}
    DEPENDS rescomp ${script} ${depends}
    DEPFILE ${depfile}
    COMMENT "Compiling resources ${name}"
    VERBATIM)
  add_custom_target(qres_${stem}_${ARG_LANG} ALL DEPENDS ${output})
endfunction()
