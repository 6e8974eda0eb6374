# The utility's version number, written only here. Included before project(): the program's
# project and the standalone fuzz project take it as their VERSION, and qscust_version_header()
# gives it to the code as the generated header QsCustVersion.h (QSCUST_VERSION).
set(QSCUST_VERSION 0.1.0)

function(qscust_version_header)
  configure_file(${CMAKE_CURRENT_FUNCTION_LIST_DIR}/QsCustVersion.h.in
    ${PROJECT_BINARY_DIR}/generated/QsCustVersion.h @ONLY)
  add_library(qscust_version INTERFACE)
  target_include_directories(qscust_version INTERFACE ${PROJECT_BINARY_DIR}/generated)
endfunction()
