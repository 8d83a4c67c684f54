# tavik_help_file(TARGET SOURCE OUT_DIR): a target, built by default, that
# compiles the help text SOURCE into OUT_DIR/tavikfm.hlp and
# OUT_DIR/tavikfm.cnt with tools/make_help.py, again whenever the text or
# the writer changes.
find_package(Python3 REQUIRED COMPONENTS Interpreter)
function(tavik_help_file target source out_dir)
  set(outputs ${out_dir}/tavikfm.hlp ${out_dir}/tavikfm.cnt)
  add_custom_command(
    OUTPUT ${outputs}
    COMMAND ${Python3_EXECUTABLE} ${PROJECT_SOURCE_DIR}/tools/make_help.py ${source} ${out_dir}
    DEPENDS ${PROJECT_SOURCE_DIR}/tools/make_help.py ${source}
    COMMENT "Compiling the help text ${source}"
    VERBATIM)
  add_custom_target(${target} ALL DEPENDS ${outputs})
endfunction()
