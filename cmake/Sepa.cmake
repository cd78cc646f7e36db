# The SEPA credit-transfer export: libxml2, with which every SEPA file is validated before it is
# written, and the ISO 20022 schemas it validates against, embedded into the output layer and
# installed beside the programs for anyone who wants to check a file again.
find_package(LibXml2 REQUIRED)

set(VELCOR_SCHEMA_DIR ${PROJECT_SOURCE_DIR}/resources/iso20022)
set(VELCOR_SCHEMAS ${VELCOR_SCHEMA_DIR}/pain.001.001.09.xsd ${VELCOR_SCHEMA_DIR}/pain.001.001.03.xsd)
foreach(version 09 03)
  set(source ${CMAKE_BINARY_DIR}/generated/Pain001v${version}Schema.cpp)
  add_custom_command(OUTPUT ${source}
    COMMAND ${CMAKE_COMMAND} -DINPUT=${VELCOR_SCHEMA_DIR}/pain.001.001.${version}.xsd
            -DOUTPUT=${source} -DSYMBOL=kPain001v${version}Schema
            -P ${PROJECT_SOURCE_DIR}/cmake/EmbedFile.cmake
    DEPENDS ${VELCOR_SCHEMA_DIR}/pain.001.001.${version}.xsd ${PROJECT_SOURCE_DIR}/cmake/EmbedFile.cmake
    COMMENT "Embedding pain.001.001.${version}.xsd"
    VERBATIM)
  target_sources(velcor_output PRIVATE ${source})
endforeach()
# The bank's answer to a SEPA file: the schemas of its two versions and the code lists it is
# told with.
foreach(embedded "pain.002.001.10.xsd;kPain002v10Schema" "pain.002.001.03.xsd;kPain002v03Schema"
        "payment-status-codes.txt;kPaymentStatusCodes" "status-reasons.txt;kStatusReasons")
  list(GET embedded 0 name)
  list(GET embedded 1 symbol)
  set(source ${CMAKE_BINARY_DIR}/generated/${symbol}.cpp)
  add_custom_command(OUTPUT ${source}
    COMMAND ${CMAKE_COMMAND} -DINPUT=${VELCOR_SCHEMA_DIR}/${name} -DOUTPUT=${source}
            -DSYMBOL=${symbol} -P ${PROJECT_SOURCE_DIR}/cmake/EmbedFile.cmake
    DEPENDS ${VELCOR_SCHEMA_DIR}/${name} ${PROJECT_SOURCE_DIR}/cmake/EmbedFile.cmake
    COMMENT "Embedding ${name}"
    VERBATIM)
  target_sources(velcor_output PRIVATE ${source})
endforeach()
list(APPEND VELCOR_SCHEMAS ${VELCOR_SCHEMA_DIR}/pain.002.001.10.xsd
     ${VELCOR_SCHEMA_DIR}/pain.002.001.03.xsd)
target_link_libraries(velcor_output PRIVATE LibXml2::LibXml2)
target_compile_definitions(velcor_output PRIVATE VELCOR_SEPA_VALIDATION)

include(GNUInstallDirs)
install(FILES ${VELCOR_SCHEMAS} DESTINATION ${CMAKE_INSTALL_DATADIR}/velcor/iso20022)
