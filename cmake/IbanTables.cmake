# The IBAN tables of the checks are data files under resources/iban/; this turns each into a
# header of initialiser rows, {"XX", value}, one per data line (comments and blank lines left out).
# Editing a data file makes CMake run again.
function(velcor_iban_table input output)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${input})
  file(STRINGS ${input} lines REGEX "^[A-Z][A-Z] +[A-Z0-9]+ *$")
  get_filename_component(name ${input} NAME)
  set(rows "// Generated from resources/iban/${name} by cmake/IbanTables.cmake; not to be edited.\n")
  foreach(line IN LISTS lines)
    string(REGEX MATCH "^([A-Z][A-Z]) +([A-Z0-9]+)" _ "${line}")
    set(key ${CMAKE_MATCH_1})
    set(value ${CMAKE_MATCH_2})
    if(value MATCHES "^[0-9]+$")
      string(APPEND rows "{\"${key}\", ${value}},\n")
    else()
      string(APPEND rows "{\"${key}\", \"${value}\"},\n")
    endif()
  endforeach()
  # Written only when it changes, so that a new configure rebuilds nothing.
  file(WRITE ${output}.new "${rows}")
  configure_file(${output}.new ${output} COPYONLY)
endfunction()

set(VELCOR_IBAN_TABLES_DIR ${PROJECT_BINARY_DIR}/generated)
velcor_iban_table(${PROJECT_SOURCE_DIR}/resources/iban/registry.txt
                  ${VELCOR_IBAN_TABLES_DIR}/checks/IbanRegistry.inc)
velcor_iban_table(${PROJECT_SOURCE_DIR}/resources/iban/territories.txt
                  ${VELCOR_IBAN_TABLES_DIR}/checks/IbanTerritories.inc)
target_include_directories(velcor_checks PRIVATE ${VELCOR_IBAN_TABLES_DIR})
